#include "ControlChartSignals.h"

#include "ChartControl.h"
#include "LimitsInForce.h"
#include "XBarChart.h"

#include <QStringList>

namespace {

std::span<const double> ValuesOf(const ChartControl& chart, int series)
{
    const SeriesPoints& points = chart.series(series).points;
    return {points.yData(), static_cast<size_t>(points.count())};
}

std::vector<qint64> Signalling(const QVector<RuleMask>& marks)
{
    std::vector<qint64> points;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (marks[i] != 0) {
            points.push_back(i);
        }
    }
    return points;
}

} // namespace

SignalSummary ControlChartSignals::summary() const
{
    return SummariseSignals(upper + range);
}

QString ControlChartSignals::describe(int series, qint64 point) const
{
    const QVector<RuleMask>* marks = series == XBarChart::kDataSeries    ? &upper
                                     : series == XBarChart::kRangeSeries ? &range
                                                                         : nullptr;
    if (marks == nullptr || point < 0 || point >= marks->size()) {
        return {};
    }
    // The range chart is judged by its limits: rule 1 of either set.
    const RuleSet judgedBy = set == RuleSet::None || marks == &range ? RuleSet::WesternElectric : set;
    QStringList lines;
    for (const int rule : RulesOf(marks->at(point))) {
        lines.append(QStringLiteral("Rule %1: %2").arg(rule).arg(RuleDescription(judgedBy, rule)));
    }
    return lines.join(QLatin1Char('\n'));
}

ControlChartSignals JudgeControlChart(const ChartControl& chart, RuleSet set, const LimitsInForce& limits,
                                      qint64 from)
{
    const std::span<const double> upper = ValuesOf(chart, XBarChart::kDataSeries);
    const std::span<const double> ranges = ValuesOf(chart, XBarChart::kRangeSeries);
    ControlChartSignals judged{set, {}, {}};
    const std::vector<LimitSegment>& segments = limits.segments;
    for (size_t k = 0; k < segments.size(); ++k) {
        const ControlLimits::Exact& l = segments[k].limits.exact;
        const size_t end = k + 1 < segments.size() ? static_cast<size_t>(segments[k + 1].firstPoint) : SIZE_MAX;
        if (end <= static_cast<size_t>(from)) {
            continue;
        }
        // The segment's points a judgement from `from` needs, and how many of them come before it.
        const size_t segmentStart = static_cast<size_t>(segments[k].firstPoint);
        const auto judgedFrom = static_cast<size_t>(std::max<qint64>(from, 0));
        const size_t first =
            std::max(segmentStart, static_cast<size_t>(std::max<qint64>(from - kLongestPattern + 1, 0)));
        const size_t before = judgedFrom > first ? judgedFrom - first : 0;
        const auto part = [&](std::span<const double> values) {
            const size_t begin = std::min(first, values.size());
            return values.subspan(begin, std::max(std::min(end, values.size()), begin) - begin);
        };
        const auto after = [before](QVector<RuleMask> marks) {
            return marks.mid(static_cast<qsizetype>(std::min<size_t>(before, static_cast<size_t>(marks.size()))));
        };
        judged.upper += after(set == RuleSet::None ? FindLimitSignals(part(upper), l.ucl, l.lcl)
                                                   : FindSignals(set, part(upper), {l.cl, l.ucl, l.lcl}));
        judged.range += after(FindLimitSignals(part(ranges), l.rangeUcl, l.rangeLcl));
    }
    return judged;
}

void FlagSignals(ChartControl& chart, const ControlChartSignals& judged)
{
    for (const auto& [series, marks] :
         {std::pair{XBarChart::kDataSeries, &judged.upper}, std::pair{XBarChart::kRangeSeries, &judged.range}}) {
        ChartSeries& s = chart.series(series);
        s.flaggedPoints = Signalling(*marks);
        s.flagsHighlighted = judged.set != RuleSet::None;
    }
}
