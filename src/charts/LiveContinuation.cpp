#include "LiveContinuation.h"

LiveContinuation::LiveContinuation(ControlChartPoints drawnPoints, const ChartRowStore& store, bool grouped,
                                   const QString& column)
    : points(std::move(drawnPoints)), waiting(std::make_unique<ChartRowStore>(column)), boundary(grouped)
{
    points.setLines(nullptr);
    points.moveWaiting(store, *waiting);
    boundary.noteAll(store);
    lastTimes = points.takeLastTimes();
    squares = points.takeSquares();
    listedRecords = points.recordsUsed();
}
