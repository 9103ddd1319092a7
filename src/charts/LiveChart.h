#pragma once

#include "ControlChartLoader.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class LiveChartState;

// One out-of-control signal at a point.
struct LiveSignal
{
    qint64 sequence = 0; // the point's number since the chart was drawn in full (0-based);
                         // its index in the series now is sequence - LiveChart::droppedPoints()
    int series = 0;      // XBarChart::kDataSeries or XBarChart::kRangeSeries
    QDateTime time;      // of the point's last record
    double value = 0;
    QStringList rules;                   // one line a rule, as ControlChartSignals::describe words them
    QStringList serials;                 // the records behind the point
    double lcl = 0, centre = 0, ucl = 0; // the limits in force at the point, unrounded
};

struct RefreshOutcome
{
    bool read = false; // false: the database could not be read, error says why (the provider's
    QString error;     //   description; nothing was changed, no prompt shown); with read, why the
                       //   raw-data listing could not follow
    qint64 newRecords = 0;
    qint64 newPoints = 0;
    qint64 droppedPoints = 0;           // dropped from the start by a rolling range in this refresh
    std::vector<LiveSignal> newSignals; // only at points this refresh drew
    QString panelText;                  // the statistics panel as it stands after the refresh
};

// A control chart that follows its data: each refresh reads the records that are new since the
// last one (the drawing's statement with its lower time bound raised to the last time seen,
// inclusive; records at that time already drawn are told apart by their key), appends their
// points, listing lines and sums, moves computed limits, judges the points the run rules can
// still change and, with a rolling range, drops from the start the points that left it.
//
// It takes over a chart that ControlChartLoader has just drawn: the loader hands its running
// state over in PlotResult::live. `drawn` stays the chart's result: every refresh keeps its
// limits, signals (outOfControl, one mask per point on the chart), times, panel text and counts
// up to date, so that what shows them reads them there. state, chart, constants and drawn must
// outlive the LiveChart; the connection is state.gConnection, as the loader's.
class LiveChart
{
public:
    LiveChart(SharedState& state, XBarChart& chart, const ControlChartConstants& constants, PlotRequest request,
              PlotResult& drawn);
    ~LiveChart();
    LiveChart(const LiveChart&) = delete;
    LiveChart& operator=(const LiveChart&) = delete;

    // One refresh as of `today` (the day a rolling range ends on). Never prompts.
    RefreshOutcome refresh(const QDate& today);

    // Points dropped from the start since the chart was drawn in full.
    qint64 droppedPoints() const;
    // The time of the last record of the point at `index` of the series now; null without one.
    QDateTime pointTime(qint64 index) const;
    // The signals on the chart now, oldest first (already announced or drawn by the full load),
    // at the points of the series from index `from` on.
    std::vector<LiveSignal> drawnSignals(qint64 from = 0) const;

private:
    std::unique_ptr<LiveChartState> m_live;
};
