#include "LimitsOptions.h"

#include "ControlChartMath.h"

#include <QCommandLineParser>

namespace {

const QStringList kActions{QStringLiteral("freeze"), QStringLiteral("list"), QStringLiteral("clear"),
                           QStringLiteral("stage")};

// The options an action takes; every option for the help text.
void addLimitsOptions(QCommandLineParser& p, const QString& action)
{
    const auto value = [&p](const char* name, const char* description, const char* valueName) {
        AddValueOption(p, name, description, valueName);
    };
    const auto takes = [&action](const QStringList& actions) { return action.isEmpty() || actions.contains(action); };
    if (takes({QStringLiteral("freeze")})) {
        AddSelectionOptions(p); // the baseline
    } else {
        value("config", "Configuration folder holding ATE.INI, PRODUCTS.INI and LIMITS.TXT.", "dir");
        value("product", "Product, as listed in ATE.INI (list: only this product's).", "name");
    }
    if (action == QLatin1String("clear")) { // the help text has it among the baseline's options
        value("source", "The set of this source (default <All>).", "name");
    }
    if (takes({QStringLiteral("freeze"), QStringLiteral("clear"), QStringLiteral("stage")})) {
        value("parameter", "Test parameter: its list text, display name or column.", "name");
    }
    if (takes({QStringLiteral("freeze"), QStringLiteral("clear")})) {
        value("chart", "xbar (default) or individual.", "kind");
        value("size", "Subgroup size of an X-bar chart, 2 to 25 (default 5).", "n");
    }
    if (takes({QStringLiteral("freeze")})) {
        value("comment", "freeze: why these limits, kept with them.", "text");
    }
    if (takes({QStringLiteral("freeze"), QStringLiteral("list"), QStringLiteral("clear")})) {
        value("json", "Also write what was stored, listed or cleared as JSON (- for standard output only).", "file");
    }
    if (takes({QStringLiteral("stage")})) {
        value("at", "stage: the start of the stage, \"yyyy-MM-dd HH:mm:ss\".", "time");
        value("name", "stage: the name of the stage.", "text");
        AddFlagOption(p, "remove", "stage: remove the stage starting at --at.");
    }
}

QDateTime stageStart(const QString& text)
{
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime at = QDateTime::fromString(text.trimmed(), QLatin1String(format));
        if (at.isValid()) {
            return at;
        }
    }
    throw UsageError{QStringLiteral("--at takes a time as \"yyyy-MM-dd HH:mm:ss\", not \"%1\"").arg(text)};
}

} // namespace

LimitsOptions ReadLimitsOptions(const QStringList& arguments)
{
    LimitsOptions o;
    o.action = arguments.value(0).toLower();
    if (!kActions.contains(o.action)) {
        throw UsageError{QStringLiteral("the first word after \"limits\" is freeze, list, clear or stage")};
    }
    QCommandLineParser p;
    addLimitsOptions(p, o.action);
    ParseHeadlessArguments(p, QStringLiteral("limits ") + o.action, arguments.mid(1));
    const auto given = [&p](const char* name) { return p.isSet(QLatin1String(name)); };
    const auto text = [&p](const char* name) { return p.value(QLatin1String(name)); };
    const auto require = [&given](const QList<const char*>& names) {
        for (const char* name : names) {
            if (!given(name)) {
                throw UsageError{QStringLiteral("--%1 is required").arg(QLatin1String(name))};
            }
        }
    };
    if (o.action == QLatin1String("freeze")) {
        ReadSelectionOptions(p, o);
    } else {
        require(o.action == QLatin1String("list") ? QList<const char*>{"config"}
                                                  : QList<const char*>{"config", "product"});
        o.config = text("config");
        o.product = text("product");
        o.range = QStringLiteral("Last 30 Days");
        if (o.action == QLatin1String("clear") && given("source")) {
            o.source = text("source");
        }
    }
    if (o.action != QLatin1String("list")) {
        require({"parameter"});
        o.parameter = text("parameter");
    }
    if (o.action == QLatin1String("freeze") || o.action == QLatin1String("clear")) {
        const QString chart = given("chart") ? text("chart").toLower() : QStringLiteral("xbar");
        if (chart != QLatin1String("xbar") && chart != QLatin1String("individual")) {
            throw UsageError{QStringLiteral("--chart is xbar or individual")};
        }
        o.individual = chart == QLatin1String("individual");
        if (given("size")) {
            bool ok = false;
            o.size = text("size").toInt(&ok);
            if (!ok || !ControlChartConstants::hasSize(o.size)) {
                throw UsageError{
                    QStringLiteral("--size needs a whole number from 2 to 25, not \"%1\"").arg(text("size"))};
            }
        }
    }
    if (o.action == QLatin1String("freeze")) {
        o.comment = text("comment");
    }
    if (o.action != QLatin1String("stage")) {
        o.json = OutputFileOption(p, QStringLiteral("json"), true);
    } else {
        require({"at"});
        o.at = stageStart(text("at"));
        o.name = text("name");
        o.remove = given("remove");
        if (o.remove && given("name")) {
            throw UsageError{QStringLiteral("--remove takes no --name")};
        }
    }
    return o;
}

QString LimitsHelpText()
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Frozen control limits and stages of a configuration, kept in its LIMITS.TXT:\n"
        "  tessaly limits freeze --config DIR --product P --parameter X [--chart xbar|individual] [--size N] "
        "[--source S] [selection options of the baseline] [--comment TEXT] [--json FILE|-]\n"
        "  tessaly limits list --config DIR [--product P] [--json FILE|-]\n"
        "  tessaly limits clear --config DIR --product P --parameter X [--chart ...] [--size N] [--source S]\n"
        "  tessaly limits stage --config DIR --product P --parameter X --at \"yyyy-MM-dd HH:mm:ss\" "
        "[--name TEXT] [--remove]\n"
        "Exit status: 0 done, 2 usage error, 3 no data (freeze), nothing to clear or remove, 4 configuration or "
        "database error, or a limit file that cannot be read or changed."));
    addLimitsOptions(p, QString());
    p.addHelpOption();
    return p.helpText();
}
