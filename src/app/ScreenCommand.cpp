#include "ScreenCommand.h"

#include "Clock.h"
#include "ConsolePrompts.h"
#include "HeadlessSession.h"
#include "Screening.h"
#include "TerminalStatus.h"

#include <QCommandLineParser>
#include <QJsonDocument>

namespace {

const QString kScreenCommand = QStringLiteral("screen");

struct ScreenOptions : SelectionOptions
{
    QString csv, json, html; // files, or "-" for standard output
};

void addScreenOptions(QCommandLineParser& p)
{
    AddSelectionOptions(p);
    AddValueOption(p, "csv", "Write the table as CSV (- for standard output).", "file");
    AddValueOption(p, "json", "Write the table as JSON (- for standard output).", "file");
    AddValueOption(p, "html", "Write the table as a self-contained HTML page (- for standard output).", "file");
}

ScreenOptions readOptions(const QStringList& arguments)
{
    QCommandLineParser p;
    addScreenOptions(p);
    ParseHeadlessArguments(p, QStringLiteral("screen"), arguments);
    ScreenOptions o;
    ReadSelectionOptions(p, o);
    o.csv = OutputFileOption(p, QStringLiteral("csv"), true);
    o.json = OutputFileOption(p, QStringLiteral("json"), true);
    o.html = OutputFileOption(p, QStringLiteral("html"), true);
    const QStringList outputs{o.csv, o.json, o.html};
    if (outputs.join(QString()).isEmpty()) {
        throw UsageError{QStringLiteral("nothing to write: give --csv, --json or --html")};
    }
    if (outputs.count(QStringLiteral("-")) > 1) {
        throw UsageError{QStringLiteral("only one output can go to standard output")};
    }
    return o;
}

int screen(const ScreenOptions& o, HeadlessSession& session, const Selection& selection, ConsolePrompts& prompts,
           const Clock& clock, const EventPump& pump)
{
    const AnalysisContext context{selection, session.state, prompts, clock, pump, [] {}};
    const std::function<void(const QString&)> status = TerminalStatus();
    ScreeningProgress progress;
    if (status) {
        progress = [&status](const QString& text, qint64, qint64) {
            status(text);
            return true;
        };
    }
    const ScreeningResult result = ScreenParameters(context, progress);
    if (status) {
        status(QString());
    }
    if (!result.limitFileProblem.isEmpty()) {
        HeadlessFail(kScreenCommand, HeadlessStatus::kOk,
                     result.limitFileProblem + QStringLiteral("; limits computed"));
    }
    if (result.outcome == AnalysisOutcome::NoChart) {
        return HeadlessStatus::kNoData;
    }
    if (result.outcome != AnalysisOutcome::Drawn) {
        return HeadlessStatus::kConfiguration;
    }
    const QJsonObject chosen = SelectionJson(session, selection, clock.today());
    const QString title = QStringLiteral("%1: process screening, %2 to %3")
                              .arg(session.product, chosen.value(QStringLiteral("from")).toString().left(10),
                                   chosen.value(QStringLiteral("to")).toString().left(10));
    QJsonObject json = ScreeningJson(result);
    json.insert(QStringLiteral("product"), session.product);
    json.insert(QStringLiteral("selection"), chosen);
    const std::pair<QString, std::function<QByteArray()>> outputs[] = {
        {o.csv, [&result] { return ScreeningCsv(result); }},
        {o.json, [&json] { return QJsonDocument(json).toJson(); }},
        {o.html, [&result, &title] { return ScreeningHtml(result, title); }},
    };
    for (const auto& [path, bytes] : outputs) {
        if (path.isEmpty()) {
            continue;
        }
        if (const int status = WriteHeadlessOutput(kScreenCommand, path, bytes()); status != HeadlessStatus::kOk) {
            return status;
        }
    }
    return HeadlessStatus::kOk;
}

} // namespace

int ScreenCommand::Run(const QStringList& arguments)
{
    ScreenOptions o;
    try {
        o = readOptions(arguments);
    } catch (const UsageError& e) {
        return HeadlessFail(kScreenCommand, HeadlessStatus::kUsage, e.message);
    }
    return RunHeadless(kScreenCommand, o, {o.csv, o.json, o.html},
                       [&o](HeadlessSession& session, const Selection& selection, ConsolePrompts& prompts,
                            const Clock& clock,
                            const EventPump& pump) { return screen(o, session, selection, prompts, clock, pump); });
}

QString ScreenCommand::HelpText()
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Screens every parameter of a product, worst Ppk first, without a window: tessaly screen --config DIR "
        "--product NAME [options] --csv|--json|--html FILE. Each row: N, mean, SD, LSL, USL, Pp and Ppk as the "
        "histogram computes them, Cpk and the points beyond the control limits of the individual chart, its "
        "Western Electric signals and the values outside the specification. Exit status: 0 done, 2 usage "
        "error, 3 no data, 4 configuration or database error, or an output file that could not be written."));
    addScreenOptions(p);
    p.addHelpOption();
    return p.helpText();
}
