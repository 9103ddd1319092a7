#include "YieldPlot.h"

#include "AnalysisQuery.h"
#include "BusyCursor.h"
#include "ChartControl.h"
#include "Clock.h"
#include "Formats.h"
#include "Prompts.h"
#include "SharedState.h"
#include "UnitRecords.h"
#include "YieldChart.h"

#include <QJsonArray>

namespace {

QString CountedText(const QString& product, const YieldOptions& options)
{
    const QString yield = options.final ? QStringLiteral("final yield") : QStringLiteral("first-pass yield");
    QString groups;
    switch (options.grouping.kind) {
    case UnitGrouping::Kind::Day:
        groups = QStringLiteral("by day");
        break;
    case UnitGrouping::Kind::Week:
        groups = QStringLiteral("by ISO week");
        break;
    case UnitGrouping::Kind::Units:
        groups = QStringLiteral("by %1 units").arg(options.grouping.units);
        break;
    }
    return product + QStringLiteral(": ") + yield + QLatin1Char(' ') + groups;
}

QString PanelText(const AttributeChart& chart)
{
    const QString count = QStringLiteral("#,##0");
    const double units = static_cast<double>(chart.units);
    const double failed = static_cast<double>(chart.failed);
    const QStringList lines{FormatNumber(units, count), FormatNumber(failed, count),
                            FormatNumber(100 * (units - failed) / units, kValueFormat) + QStringLiteral(" %"),
                            FormatNumber(chart.pBar, kValueFormat),
                            FormatNumber(static_cast<double>(chart.points.size()), count)};
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

QStringList YieldPanelCaptions(bool final)
{
    return {QStringLiteral("Units:"), QStringLiteral("Failed:"),
            final ? QStringLiteral("Final yield:") : QStringLiteral("First-pass yield:"), QStringLiteral("p̄:"),
            QStringLiteral("Subgroups:")};
}

std::vector<CountedUnit> YieldUnits::counted(bool final) const
{
    std::vector<CountedUnit> out;
    out.reserve(units.size());
    for (const UnitTests& unit : units) {
        if (unit.seen) {
            out.push_back(final ? unit.last : unit.first);
        }
    }
    return out;
}

YieldUnits ReadYieldUnits(const AnalysisContext& context)
{
    const BusyCursor busy;
    YieldUnits result;
    const SqlText sql = UnitStatement(context.state, context.selection, context.clock.today(), context.prompts, {});
    if (sql.isEmpty()) {
        result.outcome = AnalysisOutcome::NoChart;
        return result;
    }
    std::vector<UnitTests>& units = result.units;
    QString error;
    const bool read = ReadUnitRecords(
        context, sql,
        [&units](const UnitRecord& r) {
            if (!r.dated) {
                return true; // a record without a time belongs to no subgroup
            }
            if (r.unit >= units.size()) {
                units.resize(r.unit + 1);
            }
            // Records come in time order: the last one read is the unit's last test.
            UnitTests& unit = units[r.unit];
            unit.last = {r.day, r.second, !r.passed};
            if (!unit.seen) {
                unit.first = unit.last;
                unit.seen = true;
            }
            return true;
        },
        error);
    if (!read) {
        result.units = {};
        result.outcome = ShowRunTimeError(context.prompts, error);
    } else if (units.empty()) {
        result.outcome = ShowNoData(context.prompts);
    } else {
        result.outcome = AnalysisOutcome::Drawn;
    }
    return result;
}

YieldResult DrawYield(const AnalysisContext& context, const QList<AttributeSubgroup>& subgroups,
                      const YieldOptions& options, YieldChart& chart)
{
    YieldResult result;
    result.npOffered = !subgroups.isEmpty() && HasCommonSize(subgroups);
    if (subgroups.isEmpty() || (options.np && !result.npOffered)) {
        chart.Draw(AttributeChart{}, {}, options.rules, QString());
        result.outcome = AnalysisOutcome::NoChart;
    }
    if (subgroups.isEmpty()) {
        ShowNoData(context.prompts);
        return result;
    }
    if (options.np && !result.npOffered) {
        context.prompts.message(QStringLiteral("The np chart needs subgroups of one size; group by a number of units, "
                                               "or draw the p chart!"),
                                MsgIcon::Exclamation, MsgButtons::OK);
        result.npRefused = true;
        return result;
    }
    result.chart = options.np ? *NpChart(subgroups) : PChart(subgroups);
    result.marked = JudgeAttributeChart(result.chart, options.rules);
    result.listedRules = options.rules == RuleSet::None ? RuleSet::WesternElectric : options.rules;
    result.listed = JudgeAttributeChart(result.chart, result.listedRules);
    chart.Draw(result.chart, result.marked, options.rules, CountedText(context.selection.product, options));
    chart.chart().subFoot().lines = QStringList{
        RangeFootLine(context)};
    result.panelText = PanelText(result.chart);
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

YieldResult PlotYield(const AnalysisContext& context, const YieldOptions& options, YieldChart& chart)
{
    YieldUnits units = ReadYieldUnits(context);
    if (units.outcome != AnalysisOutcome::Drawn) {
        YieldResult result;
        result.outcome = units.outcome;
        return result;
    }
    std::vector<CountedUnit> counted = units.counted(options.final);
    units = {};
    return DrawYield(context, GroupUnits(std::move(counted), options.grouping), options, chart);
}

QJsonObject YieldJson(const YieldResult& result)
{
    const AttributeChart& c = result.chart;
    QJsonArray points;
    QJsonArray signalList;
    for (size_t i = 0; i < c.points.size(); ++i) {
        const AttributePoint& p = c.points[i];
        points.append(QJsonObject{{QStringLiteral("label"), p.label},
                                  {QStringLiteral("n"), p.n},
                                  {QStringLiteral("failed"), p.failed},
                                  {QStringLiteral("value"), p.value},
                                  {QStringLiteral("ucl"), p.ucl},
                                  {QStringLiteral("lcl"), p.lcl}});
        const RuleMask mask = result.listed.value(static_cast<qsizetype>(i));
        if (mask == 0) {
            continue;
        }
        QJsonArray rules;
        for (const int rule : RulesOf(mask)) {
            rules.append(rule);
        }
        signalList.append(QJsonObject{{QStringLiteral("chart"), c.np ? QStringLiteral("np") : QStringLiteral("p")},
                                      {QStringLiteral("point"), static_cast<qint64>(i)},
                                      {QStringLiteral("label"), p.label},
                                      {QStringLiteral("value"), p.value},
                                      {QStringLiteral("rules"), rules}});
    }
    return QJsonObject{
        {QStringLiteral("points"), points},
        {QStringLiteral("limits"), QJsonObject{{QStringLiteral("source"), QStringLiteral("computed")},
                                               {QStringLiteral("centre"), c.centre},
                                               {QStringLiteral("pBar"), c.pBar}}},
        {QStringLiteral("units"), c.units},
        {QStringLiteral("failed"), c.failed},
        {QStringLiteral("subgroups"), static_cast<qint64>(c.points.size())},
        {QStringLiteral("signalRules"), RuleSetName(result.listedRules)},
        {QStringLiteral("signals"), signalList},
    };
}
