#include "ReportCommand.h"

#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "ConsolePrompts.h"
#include "ControlChartLoader.h"
#include "ControlChartPrint.h"
#include "EventPump.h"
#include "Formats.h"
#include "QueryBuilder.h"
#include "SettingsStore.h"
#include "XBarChart.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

struct Options
{
    QString config, product, parameter, range, chart = QStringLiteral("xbar");
    QDate from, to;
    int size = 5;
    std::optional<QString> source, serial, testId, lsl, usl;
    bool allResults = false, allRecords = false, noZero = false, hideSpec = false;
    QString png, svg, pdf, json;
    bool allPages = false; // the PDF: one page per chart page instead of every point on one page
    QSize imageSize{1600, 900};
};

class UsageError
{
public:
    explicit UsageError(QString text) : message(std::move(text)) {}
    QString message;
};

void addOptions(QCommandLineParser& p)
{
    const auto value = [&p](const char* name, const char* description, const char* valueName) {
        p.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(description), QLatin1String(valueName)));
    };
    const auto flag = [&p](const char* name, const char* description) {
        p.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(description)));
    };
    value("config", "Configuration folder holding ATE.INI and PRODUCTS.INI.", "dir");
    value("product", "Product, as listed in ATE.INI.", "name");
    value("parameter", "Test parameter: its list text, display name or column.", "name");
    value("range", "Range preset, e.g. \"Last 30 Days\".", "text");
    value("from", "First day of a custom range.", "yyyy-mm-dd");
    value("to", "Last day of a custom range.", "yyyy-mm-dd");
    value("chart", "xbar (default) or individual.", "kind");
    value("size", "Subgroup size of an X-bar chart, 2 to 25 (default 5).", "n");
    value("source", "Only this source (tester).", "name");
    value("serial", "Only this serial number.", "text");
    value("test-id", "Only this test ID (default: TestIDDefault of ATE.INI).", "id");
    flag("all-results", "Failed units too (default: passed only).");
    flag("all-records", "Every record (default: the last record of each unit and time).");
    flag("no-zero", "Leave out zero values.");
    flag("hide-spec", "Draw no specification lines.");
    value("lsl", "Lower specification limit (default: the configured one).", "value");
    value("usl", "Upper specification limit (default: the configured one).", "value");
    value("png", "Write the chart as PNG.", "file");
    value("svg", "Write the chart as SVG.", "file");
    value("pdf", "Write the chart as PDF.", "file");
    value("pages",
          "PDF pages: compressed (default: every point on one page) or all (one page per chart page of 80 "
          "points, each with the selection and a print stamp).",
          "kind");
    value("json", "Write the numbers as JSON (- for standard output).", "file");
    value("width", "Picture width in pixels (default 1600).", "px");
    value("height", "Picture height in pixels (default 900).", "px");
}

int positiveInt(const QString& text, const char* option)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v <= 0) {
        throw UsageError(
            QStringLiteral("--%1 needs a positive whole number, not \"%2\"").arg(QLatin1String(option), text));
    }
    return v;
}

Options readOptions(const QStringList& arguments)
{
    QCommandLineParser p;
    addOptions(p);
    if (!p.parse(QStringList{QStringLiteral("tessaly report")} + arguments)) {
        throw UsageError(p.errorText());
    }
    if (!p.positionalArguments().isEmpty()) {
        throw UsageError(QStringLiteral("unexpected argument: ") + p.positionalArguments().constFirst());
    }
    Options o;
    for (const char* required : {"config", "product", "parameter"}) {
        if (!p.isSet(QLatin1String(required))) {
            throw UsageError(QStringLiteral("--%1 is required").arg(QLatin1String(required)));
        }
    }
    o.config = p.value(QStringLiteral("config"));
    o.product = p.value(QStringLiteral("product"));
    o.parameter = p.value(QStringLiteral("parameter"));
    if (p.isSet(QStringLiteral("from")) != p.isSet(QStringLiteral("to"))) {
        throw UsageError(QStringLiteral("--from and --to go together"));
    }
    if (p.isSet(QStringLiteral("from"))) {
        if (p.isSet(QStringLiteral("range"))) {
            throw UsageError(QStringLiteral("give either --range or --from/--to"));
        }
        o.from = QDate::fromString(p.value(QStringLiteral("from")), Qt::ISODate);
        o.to = QDate::fromString(p.value(QStringLiteral("to")), Qt::ISODate);
        if (!o.from.isValid() || !o.to.isValid()) {
            throw UsageError(QStringLiteral("--from and --to take dates as yyyy-mm-dd"));
        }
        if (o.from > o.to) {
            throw UsageError(QStringLiteral("--from must not be later than --to"));
        }
        o.range = QStringLiteral("Custom");
    } else {
        o.range = p.isSet(QStringLiteral("range")) ? p.value(QStringLiteral("range")) : QStringLiteral("Last 30 Days");
    }
    o.chart = p.value(QStringLiteral("chart")).isEmpty() ? o.chart : p.value(QStringLiteral("chart")).toLower();
    if (o.chart != QLatin1String("xbar") && o.chart != QLatin1String("individual")) {
        throw UsageError(QStringLiteral("--chart is xbar or individual"));
    }
    if (p.isSet(QStringLiteral("size"))) {
        o.size = positiveInt(p.value(QStringLiteral("size")), "size");
        if (!ControlChartConstants::hasSize(o.size)) {
            throw UsageError(QStringLiteral("--size is 2 to 25"));
        }
    }
    const auto optional = [&p](const char* name) -> std::optional<QString> {
        return p.isSet(QLatin1String(name)) ? std::optional<QString>(p.value(QLatin1String(name))) : std::nullopt;
    };
    o.source = optional("source");
    o.serial = optional("serial");
    o.testId = optional("test-id");
    o.lsl = optional("lsl");
    o.usl = optional("usl");
    o.allResults = p.isSet(QStringLiteral("all-results"));
    o.allRecords = p.isSet(QStringLiteral("all-records"));
    o.noZero = p.isSet(QStringLiteral("no-zero"));
    o.hideSpec = p.isSet(QStringLiteral("hide-spec"));
    o.png = p.value(QStringLiteral("png"));
    o.svg = p.value(QStringLiteral("svg"));
    o.pdf = p.value(QStringLiteral("pdf"));
    o.json = p.value(QStringLiteral("json"));
    const QString pages = p.value(QStringLiteral("pages")).toLower();
    if (!pages.isEmpty() && pages != QLatin1String("compressed") && pages != QLatin1String("all")) {
        throw UsageError(QStringLiteral("--pages is compressed or all"));
    }
    o.allPages = pages == QLatin1String("all");
    if (p.isSet(QStringLiteral("width"))) {
        o.imageSize.setWidth(positiveInt(p.value(QStringLiteral("width")), "width"));
    }
    if (p.isSet(QStringLiteral("height"))) {
        o.imageSize.setHeight(positiveInt(p.value(QStringLiteral("height")), "height"));
    }
    if (o.png.isEmpty() && o.svg.isEmpty() && o.pdf.isEmpty() && o.json.isEmpty()) {
        throw UsageError(QStringLiteral("nothing to write: give --png, --svg, --pdf or --json"));
    }
    return o;
}

// The index of the first item whose text matches without regard to case and surrounding blanks.
int findItem(const QComboBox* box, const QString& wanted)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
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

bool writeFile(const QString& path, const QByteArray& bytes)
{
    if (path == QLatin1String("-")) {
        QTextStream(stdout) << bytes;
        return true;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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

int fail(int status, const QString& text)
{
    QTextStream(stderr) << "tessaly report: " << text << Qt::endl;
    return status;
}

} // namespace

QString ReportCommand::HelpText()
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Draws one control chart without a window: tessaly report --config DIR --product NAME --parameter NAME "
        "[options]. Exit status: 0 done, 2 usage error, 3 no data, 4 configuration or database error."));
    addOptions(p);
    p.addHelpOption();
    return p.helpText();
}

int ReportCommand::Run(const QStringList& arguments)
{
    Options o;
    try {
        o = readOptions(arguments);
    } catch (const UsageError& e) {
        return fail(kUsage, e.message);
    }
    if (!QFileInfo(o.config).isDir()) {
        return fail(kConfiguration, QStringLiteral("no such configuration folder: ") + o.config);
    }

    // A store of its own, so the user's saved choices are neither read nor written; the range
    // is chosen below, so the custom range dialog never comes up.
    QTemporaryDir scratch;
    SettingsStore settings(scratch.filePath(QStringLiteral("settings.ini")));
    settings.write(kSaveConfigKey + QStringLiteral("Range"), QStringLiteral("Today"));
    ConsolePrompts prompts;
    const SystemClock clock;
    const EventPump pump;
    const QString previousFolder = QDir::currentPath();
    frmMain window(AppServices{prompts, settings, clock, pump, scratch.filePath(QStringLiteral("lock")), 0,
                               QFileInfo(o.config).absoluteFilePath()});
    const auto restoreFolder = qScopeGuard([&previousFolder] { QDir::setCurrent(previousFolder); });
    Ui::frmMain& ui = window.form();
    if (!window.Load() || window.isShutDown() || ui.cboProductName->count() <= 1) {
        return fail(kConfiguration, QStringLiteral("the configuration in %1 cannot be used").arg(o.config));
    }

    const int product = findItem(ui.cboProductName, o.product);
    if (product <= 0) {
        return fail(kUsage, QStringLiteral("no product \"%1\" in ATE.INI").arg(o.product));
    }
    if (product != ui.cboProductName->currentIndex()) {
        frmMain::ChooseItem(ui.cboProductName, product);
    }
    if (window.isShutDown() || window.state().gDatabaseType.isEmpty()) {
        return fail(kConfiguration, QStringLiteral("the database of \"%1\" cannot be opened").arg(o.product));
    }

    // The parameter by its list text, display name or column.
    window.GetTestParameterName();
    const SharedState& state = window.state();
    int parameter = findItem(ui.cboDataParameters, o.parameter);
    for (int k = 0; parameter < 0 && k < state.gParameterField.size(); ++k) {
        if (state.gParameterName.value(k).compare(o.parameter, Qt::CaseInsensitive) == 0 ||
            state.gParameterField.at(k).compare(o.parameter, Qt::CaseInsensitive) == 0) {
            parameter = k;
        }
    }
    if (parameter < 0) {
        return fail(kUsage, QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(o.parameter, o.product));
    }
    frmMain::ChooseItem(ui.cboDataParameters, parameter);

    const int range = ui.cboTestedRange->findText(o.range);
    if (range < 0) {
        return fail(kUsage, QStringLiteral("no range \"%1\"").arg(o.range));
    }
    window.state().gCustomDateFrom = o.from;
    window.state().gCustomDateTo = o.to;
    ui.cboTestedRange->setCurrentIndex(range);

    const bool individual = o.chart == QLatin1String("individual");
    (individual ? ui.optIndividualPlot : ui.optXBarPlot)->setChecked(true);
    frmMain::ChooseText(ui.cboXBarSize, QString::number(o.size));
    if (o.source) {
        const int source = o.source->isEmpty() ? 0 : findItem(ui.cboATEList, *o.source);
        if (source < 0) {
            return fail(kUsage, QStringLiteral("no source \"%1\" in the database").arg(*o.source));
        }
        ui.cboATEList->setCurrentIndex(source);
    } else {
        ui.cboATEList->setCurrentIndex(0);
    }
    if (o.testId) {
        const int id = findItem(ui.cboTestID, *o.testId);
        if (id < 0) {
            return fail(kUsage, QStringLiteral("no test ID \"%1\" in ATE.INI").arg(*o.testId));
        }
        ui.cboTestID->setCurrentIndex(id);
    }
    ui.txtSerialNumberFilter->setText(o.serial.value_or(QString()));
    ui.chkOnlyPass->setChecked(!o.allResults);
    ui.chkLastDataOnly->setChecked(!o.allRecords);
    ui.chkAcceptZero->setChecked(!o.noZero);
    ui.chkHideSpec->setChecked(o.hideSpec);
    if (o.lsl) {
        ui.txtLSL->setText(*o.lsl);
    }
    if (o.usl) {
        ui.txtUSL->setText(*o.usl);
    }

    const qsizetype messagesBefore = prompts.messages().size();
    ui.cmdPlotChart->click();
    const PlotResult& plot = window.lastPlot();
    if (!plot.drawn) {
        const QStringList said = prompts.messages().mid(messagesBefore);
        const bool noData = std::any_of(said.begin(), said.end(), [](const QString& m) {
            return m.contains(QLatin1String("data collection for this selected range"));
        });
        return noData ? kNoData : kConfiguration;
    }

    ChartControl& chart = *ui.ocxXBarChart;
    chart.resize(o.imageSize); // the proportions of a PDF page's chart
    QString error;
    if (!o.pdf.isEmpty() && o.allPages &&
        !writePdfPages(window.xbarChart(), state.gChartTitle, o.pdf,
                       SelectionLine(OutputUse::Print, ui.cboTestID->currentText(), ui.txtSerialNumberFilter->text(),
                                     ui.cboATEList->currentText()),
                       &error)) {
        return fail(kConfiguration, error);
    }
    // Every page compressed into one picture, as the window exports it.
    chart.setMaxPointsPerPage(0);
    window.xbarChart().WritePageLine(state.gChartTitle);
    const std::pair<QString, ChartFileFormat> pictures[] = {{o.png, ChartFileFormat::Png},
                                                            {o.svg, ChartFileFormat::Svg},
                                                            {o.allPages ? QString() : o.pdf, ChartFileFormat::Pdf}};
    for (const auto& [path, format] : pictures) {
        if (!path.isEmpty() && !WriteChartFile(chart, path, format, &error, o.imageSize)) {
            return fail(kConfiguration, error);
        }
    }
    if (!o.json.isEmpty()) {
        const QStringList captions = ui.lblSPCParameter->text().split(QStringLiteral("\r\n"));
        const QStringList values = ui.lblSPCParameter1->text().split(QStringLiteral("\r\n"));
        QJsonArray lines;
        for (int i = 0; i < 19; ++i) {
            lines.append(QJsonArray{captions.value(i), values.value(i)});
        }
        QString error;
        const QString between = GetTestedRange(ui.cboTestedRange->currentText(), QStringLiteral("SQLITE"),
                                               clock.today(), state.gCustomDateFrom, state.gCustomDateTo, &error);
        const QStringList ends = ToSQLiteDialect(between).remove(QLatin1Char('\'')).split(QStringLiteral(" AND "));
        const ProcessStatistics& s = plot.statistics;
        const ControlLimits& l = plot.limits;
        const QJsonObject report{
            {QStringLiteral("product"), ui.cboProductName->currentText().trimmed()},
            {QStringLiteral("parameter"), QJsonObject{{QStringLiteral("text"), ui.cboDataParameters->currentText()},
                                                      {QStringLiteral("column"), state.gParameterField.at(parameter)},
                                                      {QStringLiteral("unit"), state.gUnit.at(parameter)}}},
            {QStringLiteral("chart"), o.chart},
            {QStringLiteral("subgroupSize"), individual ? 1 : o.size},
            {QStringLiteral("selection"),
             QJsonObject{{QStringLiteral("range"), ui.cboTestedRange->currentText()},
                         {QStringLiteral("from"), ends.value(0)},
                         {QStringLiteral("to"), ends.value(1)},
                         {QStringLiteral("source"), ui.cboATEList->currentText()},
                         {QStringLiteral("serial"), ui.txtSerialNumberFilter->text()},
                         {QStringLiteral("testId"), ui.cboTestID->currentText()},
                         {QStringLiteral("passOnly"), ui.chkOnlyPass->isChecked()},
                         {QStringLiteral("lastRecordOnly"), ui.chkLastDataOnly->isChecked()},
                         {QStringLiteral("acceptZero"), ui.chkAcceptZero->isChecked()}}},
            {QStringLiteral("records"), plot.records},
            {QStringLiteral("statistics"), lines},
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
            {QStringLiteral("series"),
             QJsonObject{{QStringLiteral("values"), seriesJson(chart, XBarChart::kDataSeries)},
                         {QStringLiteral("ranges"), seriesJson(chart, XBarChart::kRangeSeries)}}},
        };
        if (!writeFile(o.json, QJsonDocument(report).toJson())) {
            return fail(kConfiguration, QStringLiteral("cannot write ") + o.json);
        }
    }
    return kOk;
}
