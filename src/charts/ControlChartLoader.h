#pragma once

#include "ControlChartMath.h"
#include "ControlChartSignals.h"
#include "EngineOrder.h"
#include "LimitsInForce.h"
#include "PointTimes.h"
#include "Selection.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class EventPump;
class LiveContinuation;
class Prompts;
class XBarChart;
struct SharedState;

// What one control-chart plot reads from the selection.
struct PlotRequest
{
    QString product;       // as chosen, trimmed
    QString parameterName; // the parameter's list text, trimmed
    QString unit;
    QString column; // the parameter's column, as messages name it
    // Make the statement of the selection once the window is locked, grouped and ordered as the
    // chart needs its rows or (makeRowsSql) its rows ungrouped in no order; empty when it cannot
    // be made (the user has been told why).
    std::function<SqlText()> makeSql;
    std::function<SqlText()> makeRowsSql;
    // The grouped and ordered statement as of another day, for a chart that follows its data: a
    // rolling range ("Last 7 Days") moves with the day.
    std::function<SqlText(const QDate& today)> makeSqlOn;
    bool lastDataOnly = true; // whether makeSql groups the rows
    OrderedBy orderedBy = OrderedBy::Default;
    QString sourceFilter; // the source passed to the query ("" for all): the first moving range's label
    QString uslText;      // the limits as the user left them; non-numbers mean "no limit"
    QString lslText;
    int subgroupSize = 5;
    bool hideSpec = false;
    RuleSet ruleSet = RuleSet::None; // the run rules judged; none: the control limits alone
    LimitsRequest limits;            // a frozen set or stage starts; computed limits without them
};

// The request of a control chart for a selection, with the parameter's list text: the statement
// is made when the load asks for it (a range that cannot be used is explained through prompts).
// The limits, subgroup size, hideSpec and ruleSet are the caller's to set.
PlotRequest ControlChartRequest(const SharedState& state, const Selection& selection, const QString& parameterText,
                                const QDate& today, Prompts& prompts);

// The outcome of one plot.
struct PlotResult
{
    bool drawn = false;           // limits and statistics were drawn
    bool stopped = false;         // the user stopped the load
    qint64 records = 0;           // records read
    QString panelText;            // the statistics panel, when drawn
    double centre = 0;            // unrounded, of every point: mean of the means (or of the values)
    double rBar = 0;              // unrounded, of every point: mean range (or moving range)
    ProcessStatistics statistics; // as the panel shows them: the limits in force now, Std Dev of every value
    LimitsInForce limits;
    ControlChartSignals outOfControl;                 // judged and flagged on the chart, when drawn
    PointTimes times;                                 // of the points of series 0
    std::optional<QDateTime> firstRecord, lastRecord; // the first and last record drawn
    qint64 msToLastRow = 0;                           // from the start of the load until the engine's last row was in
    OrderedBy orderedBy = OrderedBy::Engine;          // who grouped and ordered the rows used
    // When drawn: what a LiveChart needs to go on from where the load ended (LiveChart.h).
    std::shared_ptr<LiveContinuation> live;
};

// Loads X-bar/R and individual/moving-range charts: streams the selection's records from the
// shared connection, writes the raw-data listing file, fills series 0 and 4, computes the
// process statistics and draws the limits. Rows the engine groups and orders are used as they
// arrive; rows the program orders (OrdersInProgram) are kept compactly while they arrive and used
// once the last is in, in the engine's order; keys the program cannot order exactly as the engine
// make it ask the engine for its order after all. The main window's part (locking its controls, its
// status line) comes in through enableControls and showStatus ("" when the load ends).
class ControlChartLoader
{
public:
    ControlChartLoader(SharedState& state, XBarChart& chart, Prompts& prompts, const EventPump& pump,
                       const ControlChartConstants& constants, std::function<void(bool)> enableControls,
                       std::function<void(const QString&)> showStatus = {});

    PlotResult PlotXBarChart(const PlotRequest& request);
    PlotResult PlotIndividualChart(const PlotRequest& request);

    // The mean of the first count entries, and the largest minus the smallest of entries 0 to last.
    static double GetAverage(const std::vector<double>& values, qsizetype count);
    static double GetRange(const std::vector<double>& values, qsizetype last);

private:
    PlotResult plot(const PlotRequest& request, bool individual);

    SharedState& m_state;
    XBarChart& m_chart;
    Prompts& m_prompts;
    const EventPump& m_pump;
    const ControlChartConstants& m_constants;
    std::function<void(bool)> m_enableControls;
    std::function<void(const QString&)> m_showStatus;
};
