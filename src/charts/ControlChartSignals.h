#pragma once

#include "RunRules.h"

#include <QString>

class ChartControl;
struct LimitsInForce;

// The out-of-control points of a drawn control chart: the upper chart (subgroup means or
// individual values) judged by a rule set, or by its limits alone when none is chosen; the range
// chart by its limits alone. One mask per point of each.
struct ControlChartSignals
{
    RuleSet set = RuleSet::None;
    QVector<RuleMask> upper;
    QVector<RuleMask> range;

    // Over both charts.
    SignalSummary summary() const;
    // The rules a point of the chart's data or range series completes, one a line in words
    // ("Rule 2: 2 of 3 beyond 2 sigma on the same side"); empty when it completes none.
    QString describe(int series, qint64 point) const;
};

// Judges the points of the chart's data and range series against the limits in force at each,
// before rounding. Patterns never run across the start of a segment (a stage). From a point on
// (`from`): the masks of the points from there, judged with the points before it that a pattern
// reaches back to.
ControlChartSignals JudgeControlChart(const ChartControl& chart, RuleSet set, const LimitsInForce& limits,
                                      qint64 from = 0);

// Flags the signalling points on the chart, so that they keep their pointers however dense the
// chart; highlighted when a rule set is chosen.
void FlagSignals(ChartControl& chart, const ControlChartSignals& judged);
