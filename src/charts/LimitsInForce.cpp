#include "LimitsInForce.h"

#include "Formats.h"
#include "PointTimes.h"

#include <algorithm>

namespace {

Statistic roundedIndex(const Statistic& value)
{
    return value ? Statistic(Round3(*value)) : std::nullopt;
}

QString isoDay(const QDateTime& time)
{
    return time.date().toString(Qt::ISODate);
}

// Whether a stage starts after the drawing's first point and not after its last.
bool stageInside(const QList<StageStart>& stages, const PointTimes& times)
{
    if (times.count() == 0) {
        return false;
    }
    const std::optional<QDateTime> first = times.at(0);
    const std::optional<QDateTime> last = times.at(times.count() - 1);
    return first && last && std::any_of(stages.cbegin(), stages.cend(), [&](const StageStart& s) {
               return s.start > *first && s.start <= *last;
           });
}

} // namespace

const LimitSegment& LimitsInForce::segmentOf(qint64 point) const
{
    const auto after = std::upper_bound(segments.cbegin(), segments.cend(), point,
                                        [](qint64 p, const LimitSegment& s) { return p < s.firstPoint; });
    return after == segments.cbegin() ? segments.front() : *(after - 1);
}

QString LimitsInForce::summary() const
{
    QString text;
    if (source == LimitSource::Frozen && frozen) {
        const LimitBaseline& b = frozen->baseline;
        text = QStringLiteral("Limits: frozen %1 from %2 to %3, %4 %5")
                   .arg(isoDay(frozen->frozenAt), isoDay(b.first), isoDay(b.last),
                        FormatNumber(static_cast<double>(b.points), QStringLiteral("#,##0")),
                        frozen->key.chart == LimitChartKind::XBar ? QStringLiteral("subgroups")
                                                                  : QStringLiteral("values"));
        if (stagesIgnored) {
            text += QStringLiteral("; stages not applied");
        }
    } else if (source == LimitSource::Stages) {
        const StageStart& now = *current().stage;
        text = QStringLiteral("Limits: %1 stages, in force: %2 from %3")
                   .arg(segments.size())
                   .arg(now.caption(), now.start.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    }
    if (!fileProblem.isEmpty()) {
        text = (text.isEmpty() ? QStringLiteral("Limits: computed") : text) +
               QStringLiteral(" (limit file not used: %1)").arg(fileProblem);
    }
    return text;
}

ControlLimits FrozenControlLimits(const LimitSet& set, const ProcessStatistics& capability)
{
    ControlLimits l;
    l.exact = {set.centre, set.ucl, set.lcl, set.rangeUcl, set.rangeLcl};
    l.ucl = Round3(set.ucl);
    l.lcl = Round3(set.lcl);
    l.rangeUcl = Round3(set.rangeUcl);
    l.rangeLcl = Round3(set.rangeLcl);
    l.cl = Round3(set.centre);
    l.rBar = Round3(set.rangeCentre);
    l.sigma = capability.estSigma;
    l.cp = roundedIndex(capability.cp);
    l.cpk = roundedIndex(capability.cpk);
    l.cpu = roundedIndex(capability.cpu);
    l.cpl = roundedIndex(capability.cpl);
    return l;
}

LimitsInForce ResolveLimits(const LimitsRequest& request, const std::vector<PointSums>& stageSums,
                            const ProcessStatistics& overall, double overallCentre, const PointTimes& times, double usl,
                            double lsl, const ControlChartConstants& constants, bool isXBar, int n)
{
    LimitsInForce r;
    r.fileProblem = request.fileProblem;
    if (request.frozen) {
        const LimitSet& set = *request.frozen;
        LimitSegment segment;
        segment.centre = set.centre;
        segment.rBar = set.rangeCentre;
        segment.statistics = overall;
        SetCapability(segment.statistics, overallCentre, set.sigma, usl, lsl);
        segment.limits = FrozenControlLimits(set, segment.statistics);
        r.source = LimitSource::Frozen;
        r.frozen = set;
        r.segments = {segment};
        r.baselinePoints = times.countUntil(set.baseline.last);
        r.stagesIgnored = stageInside(request.stages, times);
        return r;
    }
    const double d2 = constants.d2.at(static_cast<size_t>(isXBar ? n - ControlChartConstants::kSmallestSize : 0));
    const auto used =
        std::count_if(stageSums.cbegin(), stageSums.cend(), [](const PointSums& s) { return s.points > 0; });
    for (const PointSums& sums : stageSums) {
        if (sums.points == 0) {
            continue;
        }
        LimitSegment segment;
        segment.firstPoint = sums.firstPoint;
        if (sums.stage >= 0) {
            segment.stage = request.stages.at(sums.stage);
        }
        const double points = static_cast<double>(sums.points);
        segment.centre = sums.sumCentres / points;
        segment.rBar = sums.sumRanges / points;
        // A drawing of one stage keeps the statistics of the whole, its failure message included.
        segment.statistics = used == 1
                                 ? overall
                                 : CalculateProcessStatistic(segment.centre, segment.rBar, usl, lsl, d2, sums.sumX,
                                                             sums.sumX2, static_cast<double>(sums.records));
        const ProcessStatistics& s = segment.statistics;
        segment.limits = ComputeControlLimits(constants, isXBar, n, segment.centre, segment.rBar, s.estSigma, s.cp,
                                              s.cpk, s.cpu, s.cpl);
        r.segments.push_back(std::move(segment));
    }
    r.source = r.segments.size() > 1 ? LimitSource::Stages : LimitSource::Computed;
    return r;
}
