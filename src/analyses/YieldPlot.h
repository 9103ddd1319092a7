#pragma once

#include "AnalysisContext.h"
#include "AttributeChartMath.h"

#include <QJsonObject>
#include <QStringList>

class YieldChart;

// What a yield chart is drawn of.
struct YieldOptions
{
    bool np = false;    // the np chart instead of the p chart
    bool final = false; // each unit counted by its last test (final yield) instead of its first
    UnitGrouping grouping;
    RuleSet rules = RuleSet::None; // marked on the picture; without a set, the limits alone
};

struct YieldResult
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    AttributeChart chart;
    bool npOffered = false;                         // every subgroup holds the same number of units
    bool npRefused = false;                         // the np chart was asked for without that (the user has been told)
    QVector<RuleMask> marked;                       // per point, as the picture marks them
    RuleSet listedRules = RuleSet::WesternElectric; // the set of `listed`: the chosen one, else Western Electric
    QVector<RuleMask> listed;
    QString panelText; // lblSPCParameter1, each line ended by CR LF
};

// A unit's first and last test in the selection.
struct UnitTests
{
    CountedUnit first;
    CountedUnit last;
    bool seen = false; // a test with a time was read
};

// Every unit of a selection, by serial.
struct YieldUnits
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    std::vector<UnitTests> units;

    // Each unit as the chart counts it: by its first test, or by its last (final).
    std::vector<CountedUnit> counted(bool final) const;
};

// The units of the context's selection: one statement of every record in range (its source,
// serial and test ID filters; the verdict and last-data-only filters do not apply), read once,
// units by serial. Tells the user through the prompts why there are none: nothing in range
// (NoChart), a failing statement (Failed, its description + "!").
YieldUnits ReadYieldUnits(const AnalysisContext& context);

// The captions of the panel: "Units:", "Failed:", "First-pass yield:" (or "Final yield:"), "p̄:",
// "Subgroups:".
QStringList YieldPanelCaptions(bool final);

// Draws the yield chart of subgroups (GroupUnits of the counted units) with its title, range line
// and panel. Tells the user why nothing is drawn: no subgroup (NoChart, the chart emptied), an np
// chart of subgroups of different sizes (NoChart, npRefused).
YieldResult DrawYield(const AnalysisContext& context, const QList<AttributeSubgroup>& subgroups,
                      const YieldOptions& options, YieldChart& chart);

// ReadYieldUnits, GroupUnits and DrawYield in one: the headless report's yield chart.
YieldResult PlotYield(const AnalysisContext& context, const YieldOptions& options, YieldChart& chart);

// {"points": [{"label", "n", "failed", "value", "ucl", "lcl"}], "limits": {"source": "computed",
// "centre", "pBar"}, "units", "failed", "subgroups", "signalRules", "signals": [{"chart", "point",
// "label", "value", "rules"}]}, numbers unrounded.
QJsonObject YieldJson(const YieldResult& result);
