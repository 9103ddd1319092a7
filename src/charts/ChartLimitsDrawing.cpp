#include "ChartLimitsDrawing.h"

#include "ChartControl.h"
#include "ControlChartPoints.h"
#include "XBarChart.h"

QString DrawLimitsOfPoints(XBarChart& chart, const ControlChartPoints& points, const PlotRequest& request,
                           const ControlChartConstants& constants, double usl, double lsl, PlotResult& result)
{
    const bool individual = points.individual();
    const int n = request.subgroupSize;
    qint64 records = 0;
    for (const PointSums& stage : points.stageSums()) {
        records += stage.records;
    }
    const double pointCount = static_cast<double>(chart.chart().pointCount(XBarChart::kDataSeries));
    const double centre = points.sumCentres / pointCount;
    const double rBar = points.sumRanges / pointCount;
    const double d2 = constants.d2[individual ? 0 : static_cast<size_t>(n - ControlChartConstants::kSmallestSize)];
    const ProcessStatistics overall = CalculateProcessStatistic(centre, rBar, usl, lsl, d2, points.sumX, points.sumX2,
                                                                static_cast<double>(records));
    result.limits =
        ResolveLimits(request.limits, points.stageSums(), overall, centre, result.times, usl, lsl, constants, !individual, n);
    result.statistics = result.limits.current().statistics;
    result.statistics.stdDev = overall.stdDev;
    XBarChart::Drawing drawing;
    drawing.lsl = lsl;
    drawing.usl = usl;
    drawing.limits = &result.limits;
    drawing.total = pointCount;
    drawing.isXBar = !individual;
    drawing.stdDev = overall.stdDev;
    result.panelText = chart.DrawControlLimits(drawing, n, request.hideSpec);
    result.centre = centre;
    result.rBar = rBar;
    return overall.error;
}
