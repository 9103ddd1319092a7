#pragma once

#include "EngineOrder.h"
#include "Selection.h"

#include <QDate>
#include <QString>
#include <functional>

class Clock;
class EventPump;
class Prompts;
struct SharedState;

// What an analysis (histogram, scatter, Pareto) reads, in a window or without one: the main
// window's selection, the shared state (connection, table and columns, parameters, custom
// range), the user's answers, the time and the event pump.
struct AnalysisContext
{
    Selection selection;
    SharedState& state;
    Prompts& prompts;
    const Clock& clock;
    const EventPump& pump;
    // Refreshes state.gParameterName from PRODUCTS.INI, as the main window's GetTestParameterName
    // does; the analyses call it where they need the display names.
    std::function<void()> refreshParameterNames;
    // Asks the main window to chart a parameter (an index into the product's parameter list) as
    // an individual chart once the analysis windows are closed; empty without a main window.
    std::function<void(int parameter)> chartParameter = {};
    // Who groups and orders the rows the analyses read (the histogram and the Pareto chart).
    OrderedBy orderedBy = OrderedBy::Default;
};

// How one drawing of an analysis ended.
enum class AnalysisOutcome
{
    Drawn,   // chart and statistics
    NoChart, // a message ended it without a complete chart: no data, the mean's cell empty
    Silent,  // nothing drawn and nothing said (a mean or deviation of exactly 0)
    Failed,  // a run-time error, shown as its description + "!"
};

// The SubFoot line of the analysis charts: the range the drawing used, as of the context's today.
// product + " as " + from + " to " + to for a custom range, product + " as " + range + ", " + from
// + " to " + to for a preset, in the short date form; product + " as " + range when the range has
// no days.
QString RangeFootLine(const AnalysisContext& context);
