#include "HeadlessOptions.h"

#include <QCommandLineParser>
#include <QDir>

void AddValueOption(QCommandLineParser& parser, const char* name, const char* description, const char* valueName)
{
    parser.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(description), QLatin1String(valueName)));
}

void AddFlagOption(QCommandLineParser& parser, const char* name, const char* description)
{
    parser.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(description)));
}

void ParseHeadlessArguments(QCommandLineParser& parser, const QString& command, const QStringList& arguments)
{
    if (!parser.parse(QStringList{QStringLiteral("tessaly ") + command} + arguments)) {
        throw UsageError{parser.errorText()};
    }
    if (!parser.positionalArguments().isEmpty()) {
        throw UsageError{QStringLiteral("unexpected argument: ") + parser.positionalArguments().constFirst()};
    }
}

void AddSelectionOptions(QCommandLineParser& p)
{
    const auto value = [&p](const char* name, const char* description, const char* valueName) {
        AddValueOption(p, name, description, valueName);
    };
    const auto flag = [&p](const char* name, const char* description) { AddFlagOption(p, name, description); };
    value("config", "Configuration folder holding ATE.INI and PRODUCTS.INI.", "dir");
    value("product", "Product, as listed in ATE.INI.", "name");
    value("range", "Range preset, e.g. \"Last 30 Days\".", "text");
    value("from", "First day of a custom range.", "yyyy-mm-dd");
    value("to", "Last day of a custom range.", "yyyy-mm-dd");
    value("source", "Only this source (tester).", "name");
    value("serial", "Only this serial number.", "text");
    value("test-id", "Only this test ID (default: TestIDDefault of ATE.INI).", "id");
    flag("all-results", "Failed units too (default: passed only).");
    flag("all-records", "Every record (default: the last record of each unit and time).");
    flag("no-zero", "Leave out zero values.");
}

void ReadSelectionOptions(const QCommandLineParser& p, SelectionOptions& o)
{
    const auto given = [&p](const char* name) { return p.isSet(QLatin1String(name)); };
    const auto text = [&p](const char* name) { return p.value(QLatin1String(name)); };
    const auto optional = [&](const char* name) {
        return given(name) ? std::optional<QString>(text(name)) : std::nullopt;
    };
    for (const char* name : {"config", "product"}) {
        if (!given(name)) {
            throw UsageError{QStringLiteral("--%1 is required").arg(QLatin1String(name))};
        }
    }
    o.config = text("config");
    o.product = text("product");
    if (given("from") != given("to")) {
        throw UsageError{QStringLiteral("--from and --to go together")};
    }
    if (given("from")) {
        if (given("range")) {
            throw UsageError{QStringLiteral("give either --range or --from/--to")};
        }
        o.from = QDate::fromString(text("from"), Qt::ISODate);
        o.to = QDate::fromString(text("to"), Qt::ISODate);
        if (!o.from.isValid() || !o.to.isValid()) {
            throw UsageError{QStringLiteral("--from and --to take dates as yyyy-mm-dd")};
        }
        if (o.from > o.to) {
            throw UsageError{QStringLiteral("--from must not be later than --to")};
        }
        o.range = QStringLiteral("Custom");
    } else {
        o.range = given("range") ? text("range") : QStringLiteral("Last 30 Days");
    }
    o.source = optional("source");
    o.serial = optional("serial");
    o.testId = optional("test-id");
    o.allResults = given("all-results");
    o.allRecords = given("all-records");
    o.noZero = given("no-zero");
}

QString OutputFileOption(const QCommandLineParser& parser, const QString& name, bool standardOutput)
{
    const QString path = parser.value(name);
    if (path.isEmpty() || (standardOutput && path == QLatin1String("-"))) {
        return path;
    }
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

RuleSet ReadRulesOption(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("rules"))) {
        return RuleSet::None;
    }
    const std::optional<RuleSet> rules = RuleSetFromName(parser.value(QStringLiteral("rules")));
    if (!rules) {
        throw UsageError{QStringLiteral("--rules is we, nelson or none")};
    }
    return *rules;
}

std::optional<bool> ReadLimitsOption(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("limits"))) {
        return std::nullopt;
    }
    const QString limits = parser.value(QStringLiteral("limits")).trimmed().toLower();
    if (limits != QLatin1String("frozen") && limits != QLatin1String("computed")) {
        throw UsageError{QStringLiteral("--limits is frozen or computed")};
    }
    return limits == QLatin1String("frozen");
}

bool ReadStagesOption(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("stages"))) {
        return true;
    }
    const QString stages = parser.value(QStringLiteral("stages")).trimmed().toLower();
    if (stages != QLatin1String("on") && stages != QLatin1String("off")) {
        throw UsageError{QStringLiteral("--stages is on or off")};
    }
    return stages == QLatin1String("on");
}

int WholeNumberOption(const QString& text, const char* option, int lowest, int highest)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lowest || v > highest) {
        throw UsageError{QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\"")
                             .arg(QLatin1String(option))
                             .arg(lowest)
                             .arg(highest)
                             .arg(text)};
    }
    return v;
}
