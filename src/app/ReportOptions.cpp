#include "ReportOptions.h"

#include "ControlChartMath.h"
#include "Formats.h"

#include <QCommandLineParser>

namespace {

// The largest picture side: 20000 x 20000 pixels already take 1.6 GB while drawn.
constexpr int kLargestSide = 20000;

const QStringList kCharts = {QStringLiteral("xbar"),    QStringLiteral("individual"), QStringLiteral("histogram"),
                             QStringLiteral("scatter"), QStringLiteral("pareto"),     QStringLiteral("p"),
                             QStringLiteral("np"),      QStringLiteral("failures"),   QStringLiteral("stations")};

void addReportOptions(QCommandLineParser& p)
{
    const auto value = [&p](const char* name, const char* description, const char* valueName) {
        AddValueOption(p, name, description, valueName);
    };
    const auto flag = [&p](const char* name, const char* description) { AddFlagOption(p, name, description); };
    AddSelectionOptions(p);
    value("parameter",
          "Test parameter: its list text, display name or column (not for scatter, pareto, p, np and failures).",
          "name");
    value("chart",
          "xbar (default), individual, histogram, scatter, pareto, p or np (yield: the fraction or number of units "
          "failed), failures (what fails, per parameter) or stations (the sources compared on one parameter).",
          "kind");
    value("size", "Subgroup size of an X-bar chart, 2 to 25 (default 5).", "n");
    value("cells", "Cells of a histogram, 10 to 100 (default 20).", "n");
    value("x-parameter", "Scatter: the parameter of the x axis.", "name");
    value("y-parameter", "Scatter: the parameter of the y axis.", "name");
    value("x-source", "Scatter: the source of the x values (with --y-source: separate sources).", "name");
    value("y-source", "Scatter: the source of the y values (with --x-source: separate sources).", "name");
    flag("hide-spec", "Control charts: draw no specification lines.");
    value("group", "p and np charts: subgroups by day (default), week (ISO) or a number of consecutive units.",
          "day|week|n");
    flag("final", "p and np charts: count each unit by its last test (final yield), not its first.");
    value("rules",
          "Control charts, p and np: mark the points that break the run rules we (Western Electric), nelson or none "
          "(default). The JSON lists the signals under the chosen rules, Western Electric when none.",
          "set");
    flag("fail-on-signal", "Control charts, p and np: exit with status 5 when the JSON's rules find any signal.");
    value("limits",
          "Control charts: frozen (the set frozen for this chart in the configuration's LIMITS.TXT) or computed "
          "(from the points drawn). Default: frozen when such a set exists, else computed.",
          "kind");
    value("stages", "Control charts: on (default) computes limits per stage of LIMITS.TXT, off ignores stages.",
          "on|off");
    value("lsl", "Control charts: lower specification limit (default: the configured one).", "value");
    value("usl", "Control charts: upper specification limit (default: the configured one).", "value");
    value("png", "Write the chart as PNG.", "file");
    value("svg", "Write the chart as SVG.", "file");
    value("pdf", "Write the chart as PDF.", "file");
    value("pages",
          "PDF pages of a control chart: compressed (default: every point on one page) or all (one page per "
          "chart page of 80 points, each with the selection and a print stamp).",
          "kind");
    value("json", "Write the numbers as JSON (- for standard output).", "file");
    value("width", "Picture width in pixels, at most 20000 (default 1600).", "px");
    value("height", "Picture height in pixels, at most 20000 (default 900).", "px");
}

} // namespace

bool ReportOptions::isControlChart() const
{
    return chart == QLatin1String("xbar") || chart == QLatin1String("individual");
}

bool ReportOptions::isYieldChart() const
{
    return chart == QLatin1String("p") || chart == QLatin1String("np");
}

ReportOptions ReadReportOptions(const QStringList& arguments)
{
    QCommandLineParser p;
    addReportOptions(p);
    ParseHeadlessArguments(p, QStringLiteral("report"), arguments);
    const auto given = [&p](const char* name) { return p.isSet(QLatin1String(name)); };
    const auto text = [&p](const char* name) { return p.value(QLatin1String(name)); };
    const auto optional = [&](const char* name) {
        return given(name) ? std::optional<QString>(text(name)) : std::nullopt;
    };
    ReportOptions o;
    o.chart = given("chart") ? text("chart").toLower() : o.chart;
    if (!kCharts.contains(o.chart)) {
        throw UsageError{
            QStringLiteral("--chart is xbar, individual, histogram, scatter, pareto, p, np, failures or stations")};
    }
    ReadSelectionOptions(p, o);
    QList<const char*> required;
    if (o.chart == QLatin1String("scatter")) {
        required = {"x-parameter", "y-parameter"};
    } else if (o.chart != QLatin1String("pareto") && o.chart != QLatin1String("failures") && !o.isYieldChart()) {
        required = {"parameter"};
    }
    for (const char* name : required) {
        if (!given(name)) {
            throw UsageError{QStringLiteral("--%1 is required").arg(QLatin1String(name))};
        }
    }
    // The yield charts and the failures, which read every parameter or none, ignore one given.
    o.parameter = o.isYieldChart() || o.chart == QLatin1String("failures") ? QString() : text("parameter");
    o.xParameter = text("x-parameter");
    o.yParameter = text("y-parameter");
    o.xSource = optional("x-source");
    o.ySource = optional("y-source");
    if (o.xSource.has_value() != o.ySource.has_value()) {
        throw UsageError{QStringLiteral("--x-source and --y-source go together")};
    }
    if (given("size")) {
        o.size = WholeNumberOption(text("size"), "size", ControlChartConstants::kSmallestSize,
                             ControlChartConstants::kLargestSize);
    }
    if (given("cells")) {
        o.cells = WholeNumberOption(text("cells"), "cells", 10, 100);
    }
    for (auto [name, limit] : {std::pair{"lsl", &o.lsl}, std::pair{"usl", &o.usl}}) {
        *limit = optional(name);
        if (limit->has_value() && !NumericValue(**limit)) {
            throw UsageError{QStringLiteral("--%1 needs a finite number, not \"%2\"").arg(QLatin1String(name), **limit)};
        }
    }
    o.hideSpec = given("hide-spec");
    if (given("group")) {
        const std::optional<UnitGrouping> grouping = UnitGrouping::fromText(text("group"));
        if (!grouping) {
            throw UsageError{QStringLiteral("--group is day, week or a number of units from 2 up")};
        }
        o.grouping = *grouping;
    }
    o.final = given("final");
    o.rules = ReadRulesOption(p);
    o.failOnSignal = given("fail-on-signal");
    if (o.failOnSignal && !o.isControlChart() && !o.isYieldChart()) {
        throw UsageError{QStringLiteral("--fail-on-signal needs a chart with run rules: xbar, individual, p or np")};
    }
    o.frozenLimits = ReadLimitsOption(p);
    o.stages = ReadStagesOption(p);
    // JSON may go to standard output, "-".
    o.png = OutputFileOption(p, QStringLiteral("png"), false);
    o.svg = OutputFileOption(p, QStringLiteral("svg"), false);
    o.pdf = OutputFileOption(p, QStringLiteral("pdf"), false);
    o.json = OutputFileOption(p, QStringLiteral("json"), true);
    const QString pages = text("pages").toLower();
    if (!pages.isEmpty() && pages != QLatin1String("compressed") && pages != QLatin1String("all")) {
        throw UsageError{QStringLiteral("--pages is compressed or all")};
    }
    o.allPages = pages == QLatin1String("all");
    if (given("width")) {
        o.imageSize.setWidth(WholeNumberOption(text("width"), "width", 1, kLargestSide));
    }
    if (given("height")) {
        o.imageSize.setHeight(WholeNumberOption(text("height"), "height", 1, kLargestSide));
    }
    if (o.png.isEmpty() && o.svg.isEmpty() && o.pdf.isEmpty() && o.json.isEmpty()) {
        throw UsageError{QStringLiteral("nothing to write: give --png, --svg, --pdf or --json")};
    }
    return o;
}

QString ReportHelpText()
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Draws one chart without a window: tessaly report --config DIR --product NAME --parameter NAME [options]. "
        "Exit status: 0 done, 2 usage error, 3 no data, 4 configuration or database error, or an output file that "
        "could not be written, 5 a signal found with --fail-on-signal."));
    addReportOptions(p);
    p.addHelpOption();
    return p.helpText();
}
