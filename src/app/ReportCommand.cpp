#include "ReportCommand.h"

#include "AnalysisContext.h"
#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "ConsolePrompts.h"
#include "ControlChartLoader.h"
#include "ControlChartPrint.h"
#include "EventPump.h"
#include "FailurePareto.h"
#include "FailureParetoChart.h"
#include "FrozenLimits.h"
#include "HeadlessControlChart.h"
#include "HeadlessSession.h"
#include "HistogramChart.h"
#include "LimitsJson.h"
#include "ParetoChart.h"
#include "ParetoPlot.h"
#include "PlotHistogram.h"
#include "ReportOptions.h"
#include "ScatterChart.h"
#include "ScatterPlot.h"
#include "SharedState.h"
#include "StationChart.h"
#include "StationPlot.h"
#include "TerminalStatus.h"
#include "XBarChart.h"
#include "YieldChart.h"
#include "YieldPlot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>
#include <tuple>

namespace {

const QString kReportCommand = QStringLiteral("report");

int fail(int status, const QString& text)
{
    return HeadlessFail(kReportCommand, status, text);
}

QJsonValue number(const Statistic& v)
{
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QJsonArray seriesJson(const ChartControl& chart, int series)
{
    QJsonArray points;
    for (qint64 i = 0; i < chart.pointCount(series); ++i) {
        points.append(QJsonObject{{QStringLiteral("x"), chart.pointX(series, i)},
                                  {QStringLiteral("y"), chart.pointY(series, i)},
                                  {QStringLiteral("label"), chart.pointLabel(series, i)}});
    }
    return points;
}

// The panel as [caption, value] pairs, as the window shows them side by side.
QJsonArray statisticsJson(const QStringList& captions, const QString& panelText)
{
    const QStringList values = panelText.split(QStringLiteral("\r\n"));
    QJsonArray lines;
    for (qsizetype i = 0; i < captions.size(); ++i) {
        lines.append(QJsonArray{captions.at(i), values.value(i)});
    }
    return lines;
}

QJsonObject parameterJson(const HeadlessSession& session, int k)
{
    return QJsonObject{{QStringLiteral("text"), session.parameters.value(k)},
                       {QStringLiteral("column"), session.state.gParameterField.value(k)},
                       {QStringLiteral("unit"), session.state.gUnit.value(k)}};
}

// The points of both charts that signal: the chart ("upper" or "range"), the point's index and
// label, its value and the rules it completes.
QJsonArray signalsJson(const ChartControl& chart, const ControlChartSignals& judged)
{
    QJsonArray points;
    for (const auto& [series, name, marks] : {std::tuple{XBarChart::kDataSeries, "upper", &judged.upper},
                                              std::tuple{XBarChart::kRangeSeries, "range", &judged.range}}) {
        for (qsizetype i = 0; i < marks->size(); ++i) {
            if (marks->at(i) == 0) {
                continue;
            }
            QJsonArray rules;
            for (const int rule : RulesOf(marks->at(i))) {
                rules.append(rule);
            }
            points.append(QJsonObject{{QStringLiteral("chart"), QLatin1String(name)},
                                      {QStringLiteral("point"), i},
                                      {QStringLiteral("label"), chart.pointLabel(series, i)},
                                      {QStringLiteral("value"), chart.pointY(series, i)},
                                      {QStringLiteral("rules"), rules}});
        }
    }
    return points;
}

int writeJson(const QString& path, const QJsonObject& report)
{
    return WriteHeadlessOutput(kReportCommand, path, QJsonDocument(report).toJson());
}

// The chart as PNG, SVG and one-page PDF, as many as were asked for.
int writePictures(const ReportOptions& o, const ChartControl& chart, bool pdf)
{
    const std::pair<QString, ChartFileFormat> pictures[] = {
        {o.png, ChartFileFormat::Png}, {o.svg, ChartFileFormat::Svg}, {pdf ? o.pdf : QString(), ChartFileFormat::Pdf}};
    QString error;
    for (const auto& [path, format] : pictures) {
        if (!path.isEmpty() && !WriteChartFile(chart, path, format, &error, o.imageSize)) {
            return fail(ReportCommand::kCannotWrite, error);
        }
    }
    return ReportCommand::kOk;
}

// Every chart page on a PDF page of its own, as the window's "Print all Pages" prints them.
bool writePdfPages(XBarChart& chart, const QString& chartTitle, const QString& path, const QString& selectionLine,
                   QString* error)
{
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdfFile(printer, path);
    ChartPrintJob job(printer, kPrintMargins);
    const SystemClock clock;
    if (job.begin() && PrintControlChart(chart, chartTitle, job, PrintOption::AllPages, selectionLine, clock) &&
        job.finish()) {
        return true;
    }
    *error = job.error();
    return false;
}

// The parameter the options name; kOk when none is named.
int readParameter(const ReportOptions& o, const HeadlessSession& session, Selection& selection)
{
    if (!o.parameter.isEmpty()) {
        selection.parameter = FindParameter(session, o.parameter);
        if (selection.parameter < 0) {
            return fail(ReportCommand::kUsage,
                        QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(o.parameter, session.product));
        }
    }
    return ReportCommand::kOk;
}

int controlChartReport(const ReportOptions& o, HeadlessSession& session, const Selection& selection,
                       ConsolePrompts& prompts, const Clock& clock, const EventPump& pump, QTemporaryDir& scratch)
{
    SharedState& state = session.state;
    const int k = selection.parameter;
    const bool individual = o.chart == QLatin1String("individual");
    ControlChartChoice choice;
    choice.individual = individual;
    choice.subgroupSize = o.size;
    choice.usl = o.usl;
    choice.lsl = o.lsl;
    choice.hideSpec = o.hideSpec;
    choice.rules = o.rules;
    const LimitKey key = ControlChartKey(state, selection, individual, o.size);
    if (const int status = HeadlessChartLimits(kReportCommand, o.frozenLimits, o.stages, state, key, choice.limits);
        status != ReportCommand::kOk) {
        return status;
    }
    if (!scratch.isValid()) {
        return fail(ReportCommand::kCannotWrite, QStringLiteral("Cannot write the raw-data listing in %1: %2")
                                                     .arg(QDir::toNativeSeparators(QDir::tempPath()), scratch.errorString()));
    }
    HeadlessControlChart drawn(o.imageSize);
    if (const int status = drawn.plot(session, selection, choice, prompts, clock, pump,
                                      scratch.filePath(QStringLiteral("listing.spc")));
        status != ReportCommand::kOk) {
        return status;
    }
    ChartControl& chart = drawn.chart;
    XBarChart& xbar = drawn.xbar;
    const PlotResult& plot = drawn.result;

    QString error;
    if (!o.pdf.isEmpty() && o.allPages &&
        !writePdfPages(xbar, state.gChartTitle, o.pdf,
                       SelectionLine(OutputUse::Print, selection.testId, selection.serialFilter,
                                     selection.source.isEmpty() ? kAll : selection.source),
                       &error)) {
        return fail(ReportCommand::kCannotWrite, error);
    }
    // Every page compressed into one picture.
    chart.setMaxPointsPerPage(0);
    xbar.WritePageLine(state.gChartTitle);
    if (const int status = writePictures(o, chart, !o.allPages); status != ReportCommand::kOk) {
        return status;
    }
    // The signals the picture shows, or those of the Western Electric rules when it shows none.
    const ControlChartSignals listed =
        o.rules == RuleSet::None ? JudgeControlChart(chart, RuleSet::WesternElectric, plot.limits) : plot.outOfControl;
    const int status = o.failOnSignal && listed.summary().points > 0 ? ReportCommand::kSignal : ReportCommand::kOk;
    if (o.json.isEmpty()) {
        return status;
    }
    const ProcessStatistics& s = plot.statistics;
    const ControlLimits& l = plot.limits.current().limits;
    const QJsonObject report{
        {QStringLiteral("product"), session.product},
        {QStringLiteral("parameter"), parameterJson(session, k)},
        {QStringLiteral("chart"), o.chart},
        {QStringLiteral("subgroupSize"), individual ? 1 : o.size},
        {QStringLiteral("selection"), SelectionJson(session, selection, clock.today())},
        {QStringLiteral("records"), plot.records},
        {QStringLiteral("statistics"), statisticsJson(StatisticsPanelCaptions(), plot.panelText)},
        {QStringLiteral("numbers"), QJsonObject{{QStringLiteral("centre"), plot.centre},
                                                {QStringLiteral("ucl"), l.ucl},
                                                {QStringLiteral("lcl"), l.lcl},
                                                {QStringLiteral("rangeCentre"), plot.rBar},
                                                {QStringLiteral("rangeUcl"), l.rangeUcl},
                                                {QStringLiteral("rangeLcl"), l.rangeLcl},
                                                {QStringLiteral("stdDev"), s.stdDev},
                                                {QStringLiteral("estSigma"), number(s.estSigma)},
                                                {QStringLiteral("cp"), number(s.cp)},
                                                {QStringLiteral("cpk"), number(s.cpk)},
                                                {QStringLiteral("cpu"), number(s.cpu)},
                                                {QStringLiteral("cpl"), number(s.cpl)}}},
        {QStringLiteral("series"), QJsonObject{{QStringLiteral("values"), seriesJson(chart, XBarChart::kDataSeries)},
                                               {QStringLiteral("ranges"), seriesJson(chart, XBarChart::kRangeSeries)}}},
        {QStringLiteral("limits"), LimitsInForceJson(plot.limits)},
        {QStringLiteral("stages"), StagesJson(plot.limits)},
        {QStringLiteral("signalRules"), RuleSetName(listed.set)},
        {QStringLiteral("signals"), signalsJson(chart, listed)},
    };
    const int written = writeJson(o.json, report);
    return written == ReportCommand::kOk ? status : written;
}

// How a report ends after an analysis: its status, and what it says when the drawing ended
// without a message of its own.
int analysisStatus(AnalysisOutcome outcome)
{
    switch (outcome) {
    case AnalysisOutcome::Drawn:
        return ReportCommand::kOk;
    case AnalysisOutcome::NoChart:
        return ReportCommand::kNoData;
    case AnalysisOutcome::Silent:
        return fail(ReportCommand::kNoData, QStringLiteral("nothing to draw for this selection"));
    case AnalysisOutcome::Failed:
        break;
    }
    return ReportCommand::kConfiguration;
}

// A source of the database by name, for the scatter's separate sources.
int findSource(const HeadlessSession& session, const QString& wanted, QString& source)
{
    const qsizetype found = FindListText(session.sources, wanted);
    if (found < 0) {
        return fail(ReportCommand::kUsage, QStringLiteral("no source \"%1\" in the database").arg(wanted));
    }
    source = session.sources.at(found);
    return ReportCommand::kOk;
}

// Puts the keys of numbers at the top level of the report.
void insertAll(QJsonObject& report, const QJsonObject& numbers)
{
    for (auto it = numbers.begin(); it != numbers.end(); ++it) {
        report.insert(it.key(), it.value());
    }
}

// The histogram, scatter, Pareto, yield, failure or station chart of the selection on a chart
// that is never shown.
int analysisReport(const ReportOptions& o, HeadlessSession& session, const Selection& selection, Prompts& prompts,
                   const Clock& clock, const EventPump& pump)
{
    const AnalysisContext context{selection, session.state, prompts, clock, pump, [] {}};
    ChartControl chart;
    chart.resize(o.imageSize);
    QJsonObject report{{QStringLiteral("product"), session.product},
                       {QStringLiteral("chart"), o.chart},
                       {QStringLiteral("selection"), SelectionJson(session, selection, clock.today())}};
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    QStringList captions;
    QString panelText;
    bool signalled = false; // a yield chart's JSON lists a signal
    if (o.chart == QLatin1String("histogram")) {
        HistogramChart histogram(chart);
        histogram.AddSelectionTitles(context);
        const HistogramResult result = PlotHistogram(context, histogram, o.cells);
        outcome = result.outcome;
        captions = HistogramPanelCaptions();
        panelText = result.panelText;
        report.insert(QStringLiteral("parameter"), parameterJson(session, selection.parameter));
        report.insert(QStringLiteral("cells"), o.cells);
        report.insert(QStringLiteral("records"), result.statistics.n);
        report.insert(QStringLiteral("numbers"), HistogramJson(result));
    } else if (o.chart == QLatin1String("scatter")) {
        ScatterInputs inputs;
        inputs.XParameterIndex = FindParameter(session, o.xParameter);
        inputs.YParameterIndex = FindParameter(session, o.yParameter);
        for (const auto& [index, name] :
             {std::pair{inputs.XParameterIndex, o.xParameter}, std::pair{inputs.YParameterIndex, o.yParameter}}) {
            if (index < 0) {
                return fail(ReportCommand::kUsage,
                            QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(name, session.product));
            }
        }
        if (o.xSource) {
            if (const int status = findSource(session, *o.xSource, inputs.XSourceName); status != ReportCommand::kOk) {
                return status;
            }
            if (const int status = findSource(session, *o.ySource, inputs.YSourceName); status != ReportCommand::kOk) {
                return status;
            }
        }
        ScatterChart scatter(chart);
        const ScatterResult result = PlotScatter(context, scatter, inputs);
        outcome = result.outcome;
        captions = ScatterPanelCaptions();
        panelText = result.panelText;
        report.insert(QStringLiteral("xParameter"), parameterJson(session, inputs.XParameterIndex));
        report.insert(QStringLiteral("yParameter"), parameterJson(session, inputs.YParameterIndex));
        report.insert(QStringLiteral("xSource"), inputs.XSourceName);
        report.insert(QStringLiteral("ySource"), inputs.YSourceName);
        report.insert(QStringLiteral("records"), static_cast<qint64>(result.statistics.n));
        report.insert(QStringLiteral("numbers"), ScatterJson(result));
    } else if (o.isYieldChart()) {
        YieldChart yield(chart);
        const YieldResult result =
            PlotYield(context, YieldOptions{o.chart == QLatin1String("np"), o.final, o.grouping, o.rules}, yield);
        if (result.npRefused) {
            return ReportCommand::kUsage;
        }
        outcome = result.outcome;
        captions = YieldPanelCaptions(o.final);
        panelText = result.panelText;
        signalled = std::any_of(result.listed.begin(), result.listed.end(), [](RuleMask m) { return m != 0; });
        report.insert(QStringLiteral("grouping"), o.grouping.text());
        report.insert(QStringLiteral("final"), o.final);
        insertAll(report, YieldJson(result));
    } else if (o.chart == QLatin1String("failures")) {
        FailureParetoChart failures(chart);
        const FailureParetoResult result = PlotFailurePareto(context, failures);
        outcome = result.outcome;
        captions = FailureParetoPanelCaptions();
        panelText = result.panelText;
        insertAll(report, FailureParetoJson(result));
    } else if (o.chart == QLatin1String("stations")) {
        StationChart stations(chart);
        const StationResult result = PlotStations(context, stations);
        outcome = result.outcome;
        captions = StationPanelCaptions();
        panelText = result.panelText;
        report.insert(QStringLiteral("parameter"), parameterJson(session, selection.parameter));
        insertAll(report, StationJson(result));
    } else {
        ParetoChart pareto(chart);
        const ParetoResult result = PlotPareto(context, pareto);
        outcome = result.outcome;
        captions = ParetoPanelCaptions();
        panelText = result.rowCountText;
        report.insert(QStringLiteral("records"), result.rows);
        report.insert(QStringLiteral("numbers"), ParetoJson(result));
    }
    if (const int status = analysisStatus(outcome); status != ReportCommand::kOk) {
        return status;
    }
    if (const int status = writePictures(o, chart, true); status != ReportCommand::kOk) {
        return status;
    }
    report.insert(QStringLiteral("statistics"), statisticsJson(captions, panelText));
    const int status = o.failOnSignal && signalled ? ReportCommand::kSignal : ReportCommand::kOk;
    const int written = o.json.isEmpty() ? ReportCommand::kOk : writeJson(o.json, report);
    return written == ReportCommand::kOk ? status : written;
}

} // namespace

QString ReportCommand::HelpText()
{
    return ReportHelpText();
}

int ReportCommand::Run(const QStringList& arguments)
{
    ReportOptions o;
    try {
        o = ReadReportOptions(arguments);
    } catch (const UsageError& e) {
        return fail(kUsage, e.message);
    }
    return RunHeadless(kReportCommand, o, {o.png, o.svg, o.pdf, o.json},
                       [&o](HeadlessSession& session, const Selection& chosen, ConsolePrompts& prompts,
                            const Clock& clock, const EventPump& pump) {
                           Selection selection = chosen;
                           if (const int status = readParameter(o, session, selection); status != kOk) {
                               return status;
                           }
                           if (!o.isControlChart()) {
                               return analysisReport(o, session, selection, prompts, clock, pump);
                           }
                           // Holds the raw-data listing while the report runs, readable by the user only.
                           QTemporaryDir scratch;
                           return controlChartReport(o, session, selection, prompts, clock, pump, scratch);
                       });
}
