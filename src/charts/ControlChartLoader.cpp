#include "ControlChartLoader.h"

#include "BusyCursor.h"
#include "ChartControl.h"
#include "EventPump.h"
#include "FiniteNumberReader.h"
#include "Formats.h"
#include "Prompts.h"
#include "Recordset.h"
#include "SharedState.h"
#include "XBarChart.h"

#include <QFile>
#include <QHash>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <limits>

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

// The text of a date in one pattern, kept while consecutive records fall in the same minute
// (or day): records come in time order, so most of them reuse the previous text.
class DateTextCache
{
public:
    DateTextCache(QString pattern, qint64 secondsPerStep) : m_pattern(std::move(pattern)), m_step(secondsPerStep) {}

    // valid false: the record has no date.
    const QString& text(bool valid, qint64 day, int second)
    {
        const qint64 key = valid ? (day * 86400 + second) / m_step : std::numeric_limits<qint64>::min();
        if (!m_filled || key != m_key) {
            m_filled = true;
            m_key = key;
            m_text = valid ? FormatDate(WallClock(day, second), m_pattern) : QString();
        }
        return m_text;
    }

private:
    QString m_pattern;
    qint64 m_step;
    bool m_filled = false;
    qint64 m_key = 0;
    QString m_text;
};

// The listing text of a value: measurements repeat, so each distinct value is formatted once.
class ValueTextCache
{
public:
    const QString& text(double value)
    {
        auto found = m_texts.constFind(value);
        if (found == m_texts.cend()) {
            if (m_texts.size() >= kMostKept) {
                m_texts.clear();
            }
            found = m_texts.insert(value, FormatNumber(value, QStringLiteral("##0.000")));
        }
        return *found;
    }

private:
    static constexpr qsizetype kMostKept = 16384;
    QHash<double, QString> m_texts;
};

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
                                       const ControlChartConstants& constants, std::function<void(bool)> enableControls)
    : m_state(state), m_chart(chart), m_prompts(prompts), m_pump(pump), m_constants(constants),
      m_enableControls(std::move(enableControls))
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
    if (serial.size() > 15) {
        out << QStringView(serial).left(12) << "...";
    } else {
        out << serial << QString(15 - serial.size(), QLatin1Char(' '));
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

    Recordset records;
    QFile listing(m_state.gRawDataFile);
    const PlotCleanup cleanup([&] {
        records.Close();
        listing.close();
        m_chart.chart().setUpdatesEnabled(true);
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
    if (!records.Open(*m_state.gConnection, sql, Recordset::Cursor::Client)) {
        return fail(records.lastError());
    }
    const qint64 count = records.RecordCount();
    const int n = request.subgroupSize;
    if (!individual && count < n) {
        m_prompts.message(QStringLiteral("There is no data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    if (individual && count < 2) {
        m_prompts.message(QStringLiteral("No data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    // A partial last subgroup is never read.
    const qint64 used = individual ? count : count - count % n;

    double usl = limitValue(request.uslText, 999);
    double lsl = limitValue(request.lslText, -999);
    if (usl < lsl) {
        m_prompts.message(QStringLiteral("USL value greater then LSL!"), MsgIcon::Exclamation, MsgButtons::OK);
        std::swap(usl, lsl);
    }

    m_chart.ResetChart(request.unit, individual, m_state.gChartTitle);
    // The listing holds production data: it is made anew, readable by the user only. Making it
    // anew also keeps out a file or link of that name that someone else put in the shared folder.
    QFile::remove(m_state.gRawDataFile);
    if (!listing.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return fail(listing.errorString());
    }
    QTextStream out(&listing);
    out << "S/N\t" << request.parameterName.trimmed() << "\tATE ID\tDate\r\n";

    const int ateField = records.fieldIndex(QStringLiteral("ATEX"));
    const int dateField = records.fieldIndex(QStringLiteral("DateX"));
    const int serialField = records.fieldIndex(QStringLiteral("SNX"));
    const FiniteNumberReader values(records, QStringLiteral("ValueX"), request.column);
    QString valueError;
    ChartControl& chart = m_chart.chart();
    // The chart is painted once the load is done: repainting a growing series while the window's
    // events run would cost more than the load itself.
    chart.setUpdatesEnabled(false);
    ThrottledPump pump(m_pump);
    DateTextCache minuteTexts(QStringLiteral("mm/dd/yyyy hh:mm AM/PM"), 60);
    DateTextCache dayTexts(QStringLiteral("mm/dd"), 86400);
    ValueTextCache valueTexts;

    double sumX = 0;
    double sumX2 = 0;
    double sumCentres = 0; // of subgroup means, or of the values
    double sumRanges = 0;  // of subgroup ranges, or of the moving ranges
    qint64 points = 0;
    std::vector<double> subgroup(static_cast<size_t>(std::max(n, 1)));
    std::optional<double> previous;
    QString movingRangeLabel = request.sourceFilter;

    for (qint64 record = 0; record < used && !records.isEOF();) {
        const int groupSize = individual ? 1 : n;
        QString source;
        bool dated = false;
        qint64 day = 0;
        int second = 0;
        for (int j = 0; j < groupSize; ++j, ++record) {
            source = records.text(ateField).trimmed();
            dated = records.dateTimeParts(dateField, day, second);
            const QString serial = records.text(serialField).trimmed().toUpper();
            const std::optional<double> read = values.read(record + 1, valueError);
            if (!read) {
                return fail(valueError);
            }
            const double value = *read;
            subgroup[static_cast<size_t>(j)] = value;
            WriteListingLine(out, serial, valueTexts.text(value), source, minuteTexts.text(dated, day, second));
            if (individual) {
                out << '\t' << (record + 1);
            }
            out << "\r\n";
            sumX += value;
            sumX2 += value * value;
            records.MoveNext();
        }
        const QString& dayLabel = dayTexts.text(dated, day, second);
        double range = 0;
        if (individual) {
            const double value = subgroup[0];
            if (previous) {
                range = std::abs(value - *previous);
                movingRangeLabel = source;
            }
            previous = value;
            chart.addPoint(XBarChart::kDataSeries, value, dayLabel);
            chart.addPoint(XBarChart::kRangeSeries, range, movingRangeLabel);
            sumCentres += value;
        } else {
            const double mean = GetAverage(subgroup, n);
            range = GetRange(subgroup, n - 1);
            chart.addPoint(XBarChart::kDataSeries, mean, dayLabel);
            chart.addPoint(XBarChart::kRangeSeries, range, source);
            sumCentres += mean;
        }
        sumRanges += range;
        ++points;
        result.records = record;
        pump.maybePump();
        if (m_state.gStopPlot) {
            result.stopped = true;
            return result; // a stopped plot draws no limits
        }
    }

    const double centre = sumCentres / static_cast<double>(points);
    const double rBar = sumRanges / static_cast<double>(points);
    const double d2 = m_constants.d2[individual ? 0 : static_cast<size_t>(n - ControlChartConstants::kSmallestSize)];
    result.statistics = CalculateProcessStatistic(centre, rBar, usl, lsl, d2, sumX, sumX2, static_cast<double>(used));
    if (!result.statistics.error.isEmpty()) {
        m_prompts.message(result.statistics.error + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    }
    const ProcessStatistics& s = result.statistics;
    XBarChart::Drawing drawing;
    drawing.lsl = lsl;
    drawing.usl = usl;
    drawing.cl = centre;
    drawing.rBar = rBar;
    drawing.sigma = s.estSigma;
    drawing.cp = s.cp;
    drawing.cpk = s.cpk;
    drawing.cpu = s.cpu;
    drawing.cpl = s.cpl;
    drawing.total = static_cast<double>(points);
    drawing.isXBar = !individual;
    drawing.stdDev = s.stdDev;
    const XBarChart::Drawn drawn = m_chart.DrawControlLimits(drawing, m_constants, n, request.hideSpec);
    result.panelText = drawn.panelText;
    result.limits = drawn.limits;
    result.centre = centre;
    result.rBar = rBar;
    result.outOfControl = JudgeControlChart(m_chart.chart(), request.ruleSet, result.limits);
    FlagSignals(m_chart.chart(), result.outOfControl);
    result.drawn = true;
    return result;
}
