#include "StationChart.h"

#include "ChartControl.h"
#include "ChartLook.h"
#include "Formats.h"
#include "StationComparison.h"

namespace {

const QString kStationAxisFormat = QStringLiteral("#,##0.0##");

// One source's box plot as one line: the lower cap and whisker, the box, the median across it,
// the upper whisker and cap. Some stretches are drawn twice so that the line never has to jump.
void AddBoxOutline(ChartControl& chart, int series, double x, const BoxPlot& box)
{
    const double w = StationChart::kBoxHalfWidth;
    const double c = StationChart::kCapHalfWidth;
    const std::pair<double, double> outline[] = {
        {x - c, box.low}, {x + c, box.low},    {x, box.low},        {x, box.q1},
        {x + w, box.q1},  {x + w, box.q3},     {x - w, box.q3},     {x - w, box.q1},
        {x + w, box.q1},  {x + w, box.median}, {x - w, box.median}, {x - w, box.q3},
        {x, box.q3},      {x, box.high},       {x - c, box.high},   {x + c, box.high},
    };
    for (const auto& [px, py] : outline) {
        chart.addPointXY(series, px, py);
    }
}

// The means, drawn last so that they stand on the boxes.
void AddMeanSeries(ChartControl& chart)
{
    ChartSeries& means = chart.series(chart.addSeries(SeriesKind::Point));
    means.look.title = QStringLiteral("Mean");
    means.look.pointerStyle = PointerStyle::Diamond;
    means.look.pointerSize = 5;
    means.look.pointerColor = QColor(0xFF, 0xC0, 0x40);
    means.look.valueFormat = kStationAxisFormat;
}

QString SourceLabel(const StationRow& row)
{
    QString label = (row.source.isEmpty() ? QStringLiteral("(none)") : row.source) + QStringLiteral("\rn=") +
                    FormatNumber(static_cast<double>(row.values.n), QStringLiteral("#,##0"));
    if (row.differs) {
        label += QStringLiteral("\rdiffers");
    }
    return label;
}

} // namespace

StationChart::StationChart(ChartControl& chart) : m_chart(chart)
{
    PresetChartTitle(m_chart, QStringLiteral("Station Comparison"));
    m_chart.subFoot().clear();
    m_chart.foot().lines = QStringList{QStringLiteral(" ")};
    m_chart.axis(AxisId::Left).valueFormat = kStationAxisFormat;
    m_chart.axis(AxisId::Right).visible = false;
    m_chart.axis(AxisId::Bottom).gridVisible = false;
    SetCategoryAxes(m_chart, 0);
    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    ChartSeries& outliers = m_chart.series(m_chart.addSeries(SeriesKind::Point));
    outliers.look.title = QStringLiteral("Outliers");
    outliers.look.pointerStyle = PointerStyle::Circle;
    outliers.look.pointerSize = 2;
    outliers.look.pointerColor = QColor(0x60, 0x60, 0x60);
    outliers.horizontalAxis = AxisId::Top;
    for (const char* title : {"LSL", "USL"}) {
        ChartSeries& limit = m_chart.series(m_chart.addLineSeries());
        limit.look.title = QLatin1String(title);
        limit.look.lineColor = Qt::red;
        limit.look.marks = MarksLook{true, true, Qt::red, true, true, true};
        limit.horizontalAxis = AxisId::Top;
    }
    AddMeanSeries(m_chart);
}

int StationChart::meanSeries() const
{
    return m_chart.seriesCount() - 1;
}

void StationChart::Draw(const StationResult& result, const QString& title, double usl, double lsl)
{
    while (m_chart.seriesCount() > kFirstBoxSeries) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    for (int i = 0; i < kFirstBoxSeries; ++i) {
        m_chart.clearSeries(i);
    }
    m_chart.title().lines = QStringList{QStringLiteral("Station Comparison"), title};
    const qint64 count = static_cast<qint64>(result.rows.size());
    SetCategoryAxes(m_chart, count);
    std::vector<std::pair<double, QString>> means;
    for (qint64 i = 0; i < count; ++i) {
        const StationRow& row = result.rows[static_cast<size_t>(i)];
        const double x = static_cast<double>(i);
        // A source without values keeps its place and its name, without a box.
        means.emplace_back(row.values.n > 0 ? row.values.mean : std::nan(""), SourceLabel(row));
        if (!row.box) {
            continue;
        }
        const int box = m_chart.addLineSeries();
        ChartSeries& outline = m_chart.series(box);
        outline.look.title = row.source;
        outline.look.lineColor = row.differs ? kWarningColor : kBoxColor;
        outline.look.lineWidth = row.differs ? 2 : 1.5;
        outline.horizontalAxis = AxisId::Top;
        AddBoxOutline(m_chart, box, x, *row.box);
        for (const double value : row.box->outliers) {
            m_chart.addPointXY(kOutlierSeries, x, value);
        }
    }
    const double last = static_cast<double>(count) - 0.5;
    const auto limitLine = [&](int series, double value, const char* name) {
        if (IsAbsentLimit(value) || count == 0) {
            return;
        }
        m_chart.addPointXY(series, -0.5, value, QLatin1String(name));
        m_chart.addPointXY(series, last, value,
                           QLatin1String(name) + QLatin1Char('=') + FormatNumber(value, kValueFormat));
    };
    limitLine(kLslSeries, lsl, "LSL");
    limitLine(kUslSeries, usl, "USL");
    AddMeanSeries(m_chart);
    for (const auto& [mean, label] : means) {
        m_chart.addPoint(meanSeries(), mean, label);
    }
    m_chart.update();
}
