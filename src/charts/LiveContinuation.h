#pragma once

#include "ChartRowStore.h"
#include "ControlChartPoints.h"
#include "PointTimes.h"
#include "ReadBoundary.h"

#include <QString>
#include <memory>
#include <vector>

// Where the load of a drawn control chart ended: what a LiveChart needs to go on from there. The
// points keep the drawing's sums and stages and the records that wait for the rest of their
// subgroup, which move into a store of their own; the rest of the load's records are let go.
struct LiveContinuation
{
    // points: of a load that drew them from the records of `store`, their series taken.
    LiveContinuation(ControlChartPoints drawnPoints, const ChartRowStore& store, bool grouped, const QString& column);

    ControlChartPoints points;
    std::unique_ptr<ChartRowStore> waiting; // the waiting records, rows 0, 1, ... in order
    ReadBoundary boundary;
    PointTimes lastTimes;        // of each point's last record
    std::vector<double> squares; // X-bar: each point's sum of squared values
    double usl = 999;            // the specification limits drawn
    double lsl = -999;
    QString listingPath;
    qint64 listedRecords = 0; // the records in the listing now
};
