#include "ReportCommand.h"

#include "AnalysisContext.h"
#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "Connection.h"
#include "ConsolePrompts.h"
#include "ControlChartLoader.h"
#include "ControlChartPrint.h"
#include "DatabaseChoice.h"
#include "EventPump.h"
#include "FileNames.h"
#include "HistogramChart.h"
#include "OutputFile.h"
#include "ParetoChart.h"
#include "ParetoPlot.h"
#include "PlotHistogram.h"
#include "ProductSetup.h"
#include "ProfileReader.h"
#include "QueryBuilder.h"
#include "ReportOptions.h"
#include "ScatterChart.h"
#include "ScatterPlot.h"
#include "SharedState.h"
#include "XBarChart.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <tuple>

namespace {

int fail(int status, const QString& text)
{
    QTextStream(stderr) << "tessaly report: " << text << Qt::endl;
    return status;
}

// The index of the first text that matches without regard to case and surrounding blanks.
qsizetype findText(const QStringList& texts, const QString& wanted)
{
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (texts.at(i).trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

// What a report runs on: the product opened as the main window opens it, and what the user
// could choose from in the window's lists.
struct ReportSession
{
    QString product;        // as listed in ATE.INI, trimmed
    QStringList parameters; // the parameter list's texts
    QStringList testIds;    // "<All>" and the configured IDs
    QString defaultTestId;  // the one the window selects
    QStringList sources;    // the database's sources
    SharedState state;
};

// The parameter by its list text, display name or column; -1 when there is none.
int findParameter(const ReportSession& session, const QString& wanted)
{
    qsizetype found = findText(session.parameters, wanted);
    for (qsizetype k = 0; found < 0 && k < session.state.gParameterField.size(); ++k) {
        if (session.state.gParameterName.value(k).compare(wanted, Qt::CaseInsensitive) == 0 ||
            session.state.gParameterField.at(k).compare(wanted, Qt::CaseInsensitive) == 0) {
            found = k;
        }
    }
    return static_cast<int>(found);
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

QJsonObject selectionJson(const ReportSession& session, const Selection& selection, const QDate& today)
{
    const SqlText between = GetTestedRange(selection.range, QStringLiteral("SQLITE"), today,
                                           session.state.gCustomDateFrom, session.state.gCustomDateTo);
    const auto end = [&between](int i) {
        return between.dates.value(i).dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    return QJsonObject{{QStringLiteral("range"), selection.range},
                       {QStringLiteral("from"), end(0)},
                       {QStringLiteral("to"), end(1)},
                       {QStringLiteral("source"), selection.source.isEmpty() ? kAll : selection.source},
                       {QStringLiteral("serial"), selection.serialFilter},
                       {QStringLiteral("testId"), selection.testId},
                       {QStringLiteral("passOnly"), selection.passOnly},
                       {QStringLiteral("lastRecordOnly"), selection.lastDataOnly},
                       {QStringLiteral("acceptZero"), selection.acceptZero}};
}

QJsonObject parameterJson(const ReportSession& session, int k)
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

// The JSON file, like the pictures, under a temporary name until it is complete; "-" is
// standard output.
int writeJson(const QString& path, const QJsonObject& report)
{
    const QByteArray bytes = QJsonDocument(report).toJson();
    if (path == QLatin1String("-")) {
        QFile out;
        if (out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered) && WriteEveryByte(out, bytes)) {
            return ReportCommand::kOk;
        }
        return fail(ReportCommand::kCannotWrite,
                    CannotWriteMessage(QStringLiteral("standard output"), out.errorString()));
    }
    QString error;
    return WriteOutputFile(path, bytes, &error) ? ReportCommand::kOk : fail(ReportCommand::kCannotWrite, error);
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

// The results database the product's configuration names, with the files SQLite keeps beside it;
// none for a data source or a server.
QStringList databaseFiles(const QString& ateIni, const QString& productsIni, const QString& product)
{
    DatabaseSettings settings;
    settings.databaseName = ReadINI(QStringLiteral("Database"), QStringLiteral("DatabaseName"), ateIni);
    const DatabaseChoice choice =
        ChooseDatabase(settings, product, ReadINI(product, QStringLiteral("TableName"), productsIni));
    const QString file = ConnectionValue(choice.connectionText, QStringLiteral("Data Source"));
    if (file.isEmpty()) {
        return {};
    }
    return {file, file + QStringLiteral("-journal"), file + QStringLiteral("-wal"), file + QStringLiteral("-shm")};
}

// A usage error when an output file is one the report reads. Paths are compared once every link
// is resolved; a file that does not exist yet is none of them.
int refuseInputsAsOutputs(const ReportOptions& o, const QList<std::pair<QString, QString>>& inputs)
{
    for (const QString& output : {o.png, o.svg, o.pdf, o.json}) {
        const QString canonical = QFileInfo(output).canonicalFilePath();
        for (const auto& [input, what] : inputs) {
            if (!canonical.isEmpty() && output != QLatin1String("-") &&
                canonical == QFileInfo(input).canonicalFilePath()) {
                return fail(ReportCommand::kUsage,
                            QStringLiteral("will not write %1: it is %2").arg(QDir::toNativeSeparators(output), what));
            }
        }
    }
    return ReportCommand::kOk;
}

// Opens the product as the main window does when it is chosen; a status other than kOk when the
// configuration or the command line cannot be used.
int openSession(const ReportOptions& o, ReportSession& session, Prompts& prompts, const EventPump& pump)
{
    const QString ateIni = FindFileNoCase(QDir::currentPath(), QStringLiteral("ATE.INI"));
    const QString productsIni = FindFileNoCase(QDir::currentPath(), QStringLiteral("PRODUCTS.INI"));
    const QStringList products = ateIni.isEmpty() || productsIni.isEmpty()
                                     ? QStringList()
                                     : SplitList(ReadINI(kATEConfiguration, QStringLiteral("TestProduct"), ateIni));
    if (products.isEmpty()) {
        return fail(ReportCommand::kConfiguration, ProductListProblem(QDir::currentPath()));
    }
    const qsizetype product = findText(products, o.product);
    if (product < 0) {
        return fail(ReportCommand::kUsage, QStringLiteral("no product \"%1\" in ATE.INI").arg(o.product));
    }
    session.product = products.at(product).trimmed();
    QList<std::pair<QString, QString>> inputs{{ateIni, QStringLiteral("the configuration's ATE.INI")},
                                              {productsIni, QStringLiteral("the configuration's PRODUCTS.INI")}};
    for (const QString& file : databaseFiles(ateIni, productsIni, products.at(product))) {
        inputs.append({file, QStringLiteral("the results database or a file of it")});
    }
    if (const int status = refuseInputsAsOutputs(o, inputs); status != ReportCommand::kOk) {
        return status;
    }
    session.testIds = QStringList{kAll} + SplitList(ReadINI(kATEConfiguration, QStringLiteral("TestID"), ateIni));
    const QString wanted = ReadINI(kATEConfiguration, QStringLiteral("TestIDDefault"), ateIni);
    session.defaultTestId = session.testIds.contains(wanted) ? wanted : kAll;

    session.state.gConnection = std::make_unique<Connection>();
    session.state.gINIFolder = QDir::currentPath();
    const SpecificationList list = LoadProductDefinition(session.state, productsIni, products.at(product));
    if (list.outcome != SpecificationList::Outcome::Complete) {
        prompts.message(list.message(), MsgIcon::Exclamation, MsgButtons::OK);
    }
    for (const ParameterSpec& spec : list.parameters) {
        session.parameters.append(spec.listText());
    }
    const ProductDatabase database =
        OpenProductDatabase(session.state, ateIni, productsIni, products.at(product), pump);
    if (!database.opened) {
        prompts.message(database.message, MsgIcon::Exclamation, MsgButtons::OK);
        return fail(ReportCommand::kConfiguration,
                    QStringLiteral("the database of \"%1\" cannot be opened").arg(session.product));
    }
    for (const QString& note : session.state.gConnection->notes()) { // how the database is read, e.g. a snapshot
        QTextStream(stderr) << "tessaly report: note: " << note << Qt::endl;
    }
    session.sources = database.sources;
    return ReportCommand::kOk;
}

// The selection the options describe, as the main window would hold it.
int readSelection(const ReportOptions& o, ReportSession& session, Selection& selection)
{
    selection.product = session.product;
    if (!RangeTexts().contains(o.range)) {
        return fail(ReportCommand::kUsage, QStringLiteral("no range \"%1\"").arg(o.range));
    }
    selection.range = o.range;
    session.state.gCustomDateFrom = o.from;
    session.state.gCustomDateTo = o.to;
    if (o.source && !o.source->isEmpty()) {
        const qsizetype source = findText(session.sources, *o.source);
        if (source < 0) {
            return fail(ReportCommand::kUsage, QStringLiteral("no source \"%1\" in the database").arg(*o.source));
        }
        selection.source = session.sources.at(source);
    }
    selection.testId = session.defaultTestId;
    if (o.testId) {
        const qsizetype id = findText(session.testIds, *o.testId);
        if (id < 0) {
            return fail(ReportCommand::kUsage, QStringLiteral("no test ID \"%1\" in ATE.INI").arg(*o.testId));
        }
        selection.testId = session.testIds.at(id);
    }
    selection.serialFilter = o.serial.value_or(QString());
    selection.passOnly = !o.allResults;
    selection.lastDataOnly = !o.allRecords;
    selection.acceptZero = !o.noZero;
    if (!o.parameter.isEmpty()) {
        selection.parameter = findParameter(session, o.parameter);
        if (selection.parameter < 0) {
            return fail(ReportCommand::kUsage,
                        QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(o.parameter, session.product));
        }
    }
    return ReportCommand::kOk;
}

int controlChartReport(const ReportOptions& o, ReportSession& session, const Selection& selection,
                       ConsolePrompts& prompts, const Clock& clock, const EventPump& pump, QTemporaryDir& scratch)
{
    SharedState& state = session.state;
    const int k = selection.parameter;
    const bool individual = o.chart == QLatin1String("individual");
    state.gXBarSize = o.size;
    state.gRawDataFile = scratch.filePath(QStringLiteral("listing.spc"));

    ChartControl chart;
    chart.resize(o.imageSize); // the proportions of a PDF page's chart
    XBarChart xbar(chart);
    xbar.SetupRangeSeries();
    const ControlChartConstants constants = InitControlChartConstants();
    ControlChartLoader loader(state, xbar, prompts, pump, constants, [](bool) {});
    PlotRequest request = ControlChartRequest(state, selection, session.parameters.at(k), clock.today(), prompts);
    request.uslText = o.usl.value_or(LimitText(state.gUSL.at(k), kNoUSL));
    request.lslText = o.lsl.value_or(LimitText(state.gLSL.at(k), kNoLSL));
    request.subgroupSize = o.size;
    request.hideSpec = o.hideSpec;
    request.ruleSet = o.rules;

    const qsizetype messagesBefore = prompts.messages().size();
    const PlotResult plot = individual ? loader.PlotIndividualChart(request) : loader.PlotXBarChart(request);
    if (!plot.drawn) {
        const QStringList said = prompts.messages().mid(messagesBefore);
        const bool noData = std::any_of(said.begin(), said.end(), [](const QString& m) {
            return m.contains(QLatin1String("data collection for this selected range"));
        });
        return noData ? ReportCommand::kNoData : ReportCommand::kConfiguration;
    }

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
    const ControlLimits& l = plot.limits;
    const QJsonObject report{
        {QStringLiteral("product"), session.product},
        {QStringLiteral("parameter"), parameterJson(session, k)},
        {QStringLiteral("chart"), o.chart},
        {QStringLiteral("subgroupSize"), individual ? 1 : o.size},
        {QStringLiteral("selection"), selectionJson(session, selection, clock.today())},
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
int findSource(const ReportSession& session, const QString& wanted, QString& source)
{
    const qsizetype found = findText(session.sources, wanted);
    if (found < 0) {
        return fail(ReportCommand::kUsage, QStringLiteral("no source \"%1\" in the database").arg(wanted));
    }
    source = session.sources.at(found);
    return ReportCommand::kOk;
}

// The histogram, scatter or Pareto chart of the selection on a chart that is never shown.
int analysisReport(const ReportOptions& o, ReportSession& session, const Selection& selection, Prompts& prompts,
                   const Clock& clock, const EventPump& pump)
{
    const AnalysisContext context{selection, session.state, prompts, clock, pump, [] {}};
    ChartControl chart;
    chart.resize(o.imageSize);
    QJsonObject report{{QStringLiteral("product"), session.product},
                       {QStringLiteral("chart"), o.chart},
                       {QStringLiteral("selection"), selectionJson(session, selection, clock.today())}};
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    QStringList captions;
    QString panelText;
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
        inputs.XParameterIndex = findParameter(session, o.xParameter);
        inputs.YParameterIndex = findParameter(session, o.yParameter);
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
    return o.json.isEmpty() ? ReportCommand::kOk : writeJson(o.json, report);
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
    } catch (const ReportUsageError& e) {
        return fail(kUsage, e.message);
    }
    if (!QFileInfo(o.config).isDir()) {
        return fail(kConfiguration, QStringLiteral("no such configuration folder: ") + o.config);
    }
    // Holds the raw-data listing while the report runs, readable by the user only.
    QTemporaryDir scratch;
    // The configuration folder is the current directory while the product is read, as in the
    // window; the options named their files before (ReadReportOptions).
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(o.config);
    const auto restoreFolder = qScopeGuard([&previousFolder] { QDir::setCurrent(previousFolder); });

    ConsolePrompts prompts;
    const SystemClock clock;
    const EventPump pump;
    ReportSession session;
    Selection selection;
    if (const int status = openSession(o, session, prompts, pump); status != kOk) {
        return status;
    }
    if (const int status = readSelection(o, session, selection); status != kOk) {
        return status;
    }
    return o.isControlChart() ? controlChartReport(o, session, selection, prompts, clock, pump, scratch)
                              : analysisReport(o, session, selection, prompts, clock, pump);
}
