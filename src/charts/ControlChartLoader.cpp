#include "ControlChartLoader.h"

#include "BusyCursor.h"
#include "ChartControl.h"
#include "ControlChartPoints.h"
#include "EventPump.h"
#include "Formats.h"
#include "Prompts.h"
#include "QueryStream.h"
#include "SharedState.h"
#include "XBarChart.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTextStream>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Runs the clean-up of a plot on every way out of it.
class PlotCleanup
{
public:
    explicit PlotCleanup(std::function<void()> action) : m_action(std::move(action)) {}
    ~PlotCleanup() { m_action(); }
    PlotCleanup(const PlotCleanup&) = delete;
    PlotCleanup& operator=(const PlotCleanup&) = delete;

private:
    std::function<void()> m_action;
};

// The listing of a load in progress: a new file beside the listing, readable by the user only,
// put in the listing's place when the load is kept. Renaming replaces a file or link of that
// name that someone else put in the shared folder rather than following it.
class PendingListing
{
public:
    explicit PendingListing(const QString& path) : m_path(path), m_file(path + QStringLiteral(".XXXXXX")) {}

    bool open() { return m_file.open(); }
    QIODevice* device() { return &m_file; }
    QString errorString() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }
    bool commit()
    {
        if (!m_file.flush()) {
            return false;
        }
        if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0) {
            m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_file.setAutoRemove(false);
        return true;
    }

private:
    QString m_path;
    QTemporaryFile m_file;
    QString m_error;
};

// How often the status line follows the load.
constexpr int kStatusIntervalMs = 100;

double limitValue(const QString& text, double absent)
{
    return NumericValue(text).value_or(absent);
}

} // namespace

PlotRequest ControlChartRequest(const SharedState& state, const Selection& selection, const QString& parameterText,
                                const QDate& today, Prompts& prompts)
{
    PlotRequest request;
    request.product = selection.product;
    request.parameterName = parameterText.trimmed();
    request.unit = state.gUnit.value(selection.parameter);
    request.column = state.gParameterField.value(selection.parameter);
    request.sourceFilter = selection.source;
    request.makeSql = [&state, selection, today, &prompts] {
        return SelectionSQL(state, selection, today, prompts, state.gParameterField.value(selection.parameter), {},
                            state.gTestStartTimeField + QStringLiteral(", ") + state.gATEIDField);
    };
    return request;
}

ControlChartLoader::ControlChartLoader(SharedState& state, XBarChart& chart, Prompts& prompts, const EventPump& pump,
                                       const ControlChartConstants& constants, std::function<void(bool)> enableControls,
                                       std::function<void(const QString&)> showStatus)
    : m_state(state), m_chart(chart), m_prompts(prompts), m_pump(pump), m_constants(constants),
      m_enableControls(std::move(enableControls)), m_showStatus(std::move(showStatus))
{
}

double ControlChartLoader::GetAverage(const std::vector<double>& values, qsizetype count)
{
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sum += values[static_cast<size_t>(i)];
    }
    return sum / static_cast<double>(count);
}

double ControlChartLoader::GetRange(const std::vector<double>& values, qsizetype last)
{
    double highest = values[0];
    double lowest = values[0];
    for (qsizetype i = 1; i <= last; ++i) {
        highest = std::max(highest, values[static_cast<size_t>(i)]);
        lowest = std::min(lowest, values[static_cast<size_t>(i)]);
    }
    return highest - lowest;
}

void ControlChartLoader::WriteListingLine(QTextStream& out, const QString& serial, const QString& valueText,
                                          const QString& source, const QString& dateText)
{
    static const QString padding(15, QLatin1Char(' '));
    if (serial.size() > 15) {
        out << QStringView(serial).left(12) << "...";
    } else {
        out << serial << QStringView(padding).left(15 - serial.size());
    }
    out << '\t' << valueText << '\t' << source << '\t' << dateText;
}

PlotResult ControlChartLoader::PlotXBarChart(const PlotRequest& request)
{
    return plot(request, false);
}

PlotResult ControlChartLoader::PlotIndividualChart(const PlotRequest& request)
{
    return plot(request, true);
}

PlotResult ControlChartLoader::plot(const PlotRequest& request, bool individual)
{
    PlotResult result;
    m_enableControls(false);
    const BusyCursor busy;
    m_state.gStopPlot = false;
    m_state.gChartTitle = request.product.trimmed() + QLatin1Char(' ') + request.parameterName.trimmed();

    const auto status = [this](const QString& text) {
        if (m_showStatus) {
            m_showStatus(text);
        }
    };
    QueryStream stream;
    // The listing replaces the last one only when this load draws or is stopped.
    PendingListing listing(m_state.gRawDataFile);
    const PlotCleanup cleanup([&] {
        stream.stop();
        status(QString());
        m_enableControls(true);
        m_chart.chart().setCurrentPage(1);
        m_chart.WritePageLine(m_state.gChartTitle);
    });
    const auto fail = [this](const QString& description) {
        m_prompts.message(description + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
        return PlotResult();
    };

    const SqlText sql = request.makeSql ? request.makeSql() : SqlText();
    if (sql.isEmpty()) {
        return result;
    }
    if (!listing.open()) {
        return fail(listing.errorString());
    }
    QTextStream out(listing.device());
    out << "S/N\t" << request.parameterName.trimmed() << "\tATE ID\tDate\r\n";
    if (!stream.start(*m_state.gConnection, sql)) {
        return fail(stream.lastError());
    }

    // The window thread builds the points while the worker reads the next rows.
    const int n = request.subgroupSize;
    std::vector<qint64> stageStarts;
    if (!request.limits.frozen) {
        for (const StageStart& stage : request.limits.stages) {
            stageStarts.push_back(PointTimes::SecondsOf(stage.start));
        }
    }
    ControlChartPoints points(individual, n, request.sourceFilter, request.column, out, std::move(stageStarts));
    ThrottledPump pump(m_pump);
    QElapsedTimer sinceStatus;
    sinceStatus.start();
    while (!stream.atEnd()) {
        if (const std::unique_ptr<RowBatch> batch = stream.next(m_pump.throttleMs())) {
            if (!points.add(*batch, stream.names())) {
                return fail(points.error());
            }
        }
        if (sinceStatus.elapsed() >= kStatusIntervalMs) {
            status(LoadStepText(stream.step()));
            sinceStatus.restart();
        }
        pump.maybePump();
        if (m_state.gStopPlot) {
            // A stopped plot shows what it read, without limits.
            result.stopped = true;
            result.records = points.recordsUsed();
            if (points.pointCount() > 0) {
                m_chart.ResetChart(request.unit, individual, m_state.gChartTitle);
                m_chart.chart().setPoints(XBarChart::kDataSeries, points.takeData());
                m_chart.chart().setPoints(XBarChart::kRangeSeries, points.takeRanges());
                out.flush();
                listing.commit();
            }
            return result;
        }
    }
    if (!stream.lastError().isEmpty()) {
        return fail(stream.lastError());
    }
    const qint64 count = points.rowsSeen();
    if (!individual && (count < n || points.pointCount() == 0)) {
        m_prompts.message(QStringLiteral("There is no data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    if (individual && count < 2) {
        m_prompts.message(QStringLiteral("No data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    double usl = limitValue(request.uslText, 999);
    double lsl = limitValue(request.lslText, -999);
    if (usl < lsl) {
        m_prompts.message(QStringLiteral("USL value greater then LSL!"), MsgIcon::Exclamation, MsgButtons::OK);
        std::swap(usl, lsl);
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !listing.commit()) {
        return fail(listing.errorString());
    }
    m_chart.ResetChart(request.unit, individual, m_state.gChartTitle);
    ChartControl& chart = m_chart.chart();
    chart.setPoints(XBarChart::kDataSeries, points.takeData());
    chart.setPoints(XBarChart::kRangeSeries, points.takeRanges());
    result.records = points.recordsUsed();

    const double used = static_cast<double>(points.recordsUsed());
    const double pointCount = static_cast<double>(chart.pointCount(XBarChart::kDataSeries));
    const double centre = points.sumCentres / pointCount;
    const double rBar = points.sumRanges / pointCount;
    const double d2 = m_constants.d2[individual ? 0 : static_cast<size_t>(n - ControlChartConstants::kSmallestSize)];
    const ProcessStatistics overall =
        CalculateProcessStatistic(centre, rBar, usl, lsl, d2, points.sumX, points.sumX2, used);
    if (!overall.error.isEmpty()) {
        m_prompts.message(overall.error + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    }
    result.times = points.takeTimes();
    result.firstRecord = points.firstUsed();
    result.lastRecord = points.lastUsed();
    result.limits = ResolveLimits(request.limits, points.stageSums(), overall, centre, result.times, usl, lsl,
                                  m_constants, !individual, n);
    result.statistics = result.limits.current().statistics;
    result.statistics.stdDev = overall.stdDev;
    XBarChart::Drawing drawing;
    drawing.lsl = lsl;
    drawing.usl = usl;
    drawing.limits = &result.limits;
    drawing.total = pointCount;
    drawing.isXBar = !individual;
    drawing.stdDev = overall.stdDev;
    result.panelText = m_chart.DrawControlLimits(drawing, n, request.hideSpec);
    result.centre = centre;
    result.rBar = rBar;
    result.outOfControl = JudgeControlChart(m_chart.chart(), request.ruleSet, result.limits);
    FlagSignals(m_chart.chart(), result.outOfControl);
    result.drawn = true;
    return result;
}
