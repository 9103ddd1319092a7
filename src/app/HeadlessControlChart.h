#pragma once

#include "ChartControl.h"
#include "ControlChartLoader.h"
#include "HeadlessSession.h"
#include "XBarChart.h"

#include <QSize>
#include <optional>

class Clock;
class ConsolePrompts;
class EventPump;

// What a headless command draws of a control chart, beyond the selection.
struct ControlChartChoice
{
    bool individual = false;
    int subgroupSize = 5;
    std::optional<QString> usl, lsl; // the configured ones when unset
    bool hideSpec = false;
    RuleSet rules = RuleSet::None;
    LimitsRequest limits;
    QSize imageSize{1600, 900};
};

// A control chart drawn on a chart that is never shown, through the window's loader.
class HeadlessControlChart
{
public:
    explicit HeadlessControlChart(const QSize& size);

    // Draws the selection's chart, its listing in listingPath. Returns kOk when drawn, kNoData
    // when the selection has too few records, kConfiguration otherwise (the prompts said why).
    int plot(HeadlessSession& session, const Selection& selection, const ControlChartChoice& choice,
             ConsolePrompts& prompts, const Clock& clock, const EventPump& pump, const QString& listingPath);

    ChartControl chart;
    XBarChart xbar;
    const ControlChartConstants constants;
    PlotRequest request; // of the last plot, whose statement is made on the session's state and prompts
    PlotResult result;
};

// The limits a headless control chart is drawn with, from the configuration's limit file: the
// frozen set (one must exist), computed limits, or (unset) the frozen set where one exists; stage
// starts applied unless `stages` is off. kOk, or the status of a failure said on standard error.
int HeadlessChartLimits(const QString& command, std::optional<bool> frozen, bool stages, const SharedState& state,
                        const LimitKey& key, LimitsRequest& limits);

// The parameter of the session by its list text, display name or column; -1 when there is none.
int FindParameter(const HeadlessSession& session, const QString& wanted);
