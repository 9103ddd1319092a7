#include "WatchOptions.h"

#include "ControlChartMath.h"
#include "Formats.h"

#include <QCommandLineParser>

namespace {

const QString kExec = QStringLiteral("--exec");
// From a second to a day between refreshes.
constexpr int kShortestInterval = 1;
constexpr int kLongestInterval = 24 * 60 * 60;

void addWatchOptions(QCommandLineParser& p)
{
    AddSelectionOptions(p);
    AddValueOption(p, "parameter", "Test parameter: its list text, display name or column (required).", "name");
    AddValueOption(p, "chart", "xbar (default) or individual.", "kind");
    AddValueOption(p, "size", "Subgroup size of an X-bar chart, 2 to 25 (default 5).", "n");
    AddValueOption(p, "rules", "Run rules that signal: we (Western Electric), nelson, or none (default: the control "
                               "limits alone).", "set");
    AddValueOption(p, "limits",
                   "frozen (the set frozen for this chart in the configuration's LIMITS.TXT) or computed (from the "
                   "points drawn, moving with every refresh). Default: frozen when such a set exists.",
                   "kind");
    AddValueOption(p, "stages", "on (default) computes limits per stage of LIMITS.TXT, off ignores stages.", "on|off");
    AddValueOption(p, "lsl", "Lower specification limit (default: the configured one).", "value");
    AddValueOption(p, "usl", "Upper specification limit (default: the configured one).", "value");
    AddValueOption(p, "interval", "Seconds between refreshes, 1 to 86400 (default 60).", "seconds");
    AddValueOption(p, "json-lines", "Write one JSON object per new signal, a line each (- for standard output).",
                   "file");
    AddValueOption(p, "png", "Write the chart as PNG once drawn and after each refresh that changed it.", "file");
    AddFlagOption(p, "once", "Check once against --state and end: status 5 when signals appeared since its last "
                             "check, 0 otherwise.");
    AddValueOption(p, "state", "With --once: the file that remembers the last check (written atomically).", "file");
}

} // namespace

WatchOptions ReadWatchOptions(const QStringList& arguments)
{
    WatchOptions o;
    const qsizetype execAt = arguments.indexOf(kExec);
    if (execAt >= 0) {
        o.exec = arguments.sliced(execAt + 1);
        if (o.exec.isEmpty() || o.exec.constFirst().isEmpty()) {
            throw UsageError{QStringLiteral("--exec needs a program")};
        }
    }
    QCommandLineParser p;
    addWatchOptions(p);
    ParseHeadlessArguments(p, QStringLiteral("watch"), execAt >= 0 ? arguments.first(execAt) : arguments);
    const auto given = [&p](const char* name) { return p.isSet(QLatin1String(name)); };
    const auto text = [&p](const char* name) { return p.value(QLatin1String(name)); };
    ReadSelectionOptions(p, o);
    if (!given("parameter")) {
        throw UsageError{QStringLiteral("--parameter is required")};
    }
    o.parameter = text("parameter");
    o.chart = given("chart") ? text("chart").trimmed().toLower() : o.chart;
    if (o.chart != QLatin1String("xbar") && o.chart != QLatin1String("individual")) {
        throw UsageError{QStringLiteral("--chart is xbar or individual")};
    }
    if (given("size")) {
        o.size = WholeNumberOption(text("size"), "size", ControlChartConstants::kSmallestSize,
                             ControlChartConstants::kLargestSize);
    }
    for (auto [name, limit] : {std::pair{"lsl", &o.lsl}, std::pair{"usl", &o.usl}}) {
        if (given(name)) {
            *limit = text(name);
            if (!NumericValue(**limit)) {
                throw UsageError{
                    QStringLiteral("--%1 needs a finite number, not \"%2\"").arg(QLatin1String(name), **limit)};
            }
        }
    }
    o.rules = ReadRulesOption(p);
    o.frozenLimits = ReadLimitsOption(p);
    o.stages = ReadStagesOption(p);
    if (given("interval")) {
        o.intervalSeconds = WholeNumberOption(text("interval"), "interval", kShortestInterval, kLongestInterval);
    }
    o.jsonLines = OutputFileOption(p, QStringLiteral("json-lines"), true);
    o.png = OutputFileOption(p, QStringLiteral("png"), false);
    o.once = given("once");
    o.stateFile = OutputFileOption(p, QStringLiteral("state"), false);
    if (o.once != !o.stateFile.isEmpty()) {
        throw UsageError{QStringLiteral("--once and --state go together")};
    }
    return o;
}

QString WatchHelpText()
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Follows one control chart without a window: tessaly watch --config DIR --product NAME --parameter NAME "
        "[options] [--exec PROGRAM [ARG...]]. Draws the chart of the selection, then refreshes it every --interval "
        "seconds with the records new since the last refresh, until SIGINT or SIGTERM. Each signal at a point a "
        "refresh newly drew is written to --json-lines and, with --exec (the last option), runs the program with "
        "the signal in TESSALY_SIGNAL_RULES, _VALUE, _TIME, _POINT, _SERIALS, _UCL, _CL, _LCL, _PRODUCT and "
        "_PARAMETER, never through a shell. Exit status: 0 done, 2 usage error, 3 no data, 4 configuration or "
        "database error, or an output file that could not be written, 5 new signals with --once."));
    addWatchOptions(p);
    p.addHelpOption();
    return p.helpText();
}
