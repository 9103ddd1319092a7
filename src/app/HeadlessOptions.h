#pragma once

#include "RunRules.h"

#include <QDate>
#include <QString>
#include <optional>

class QCommandLineParser;

// The command-line options the headless commands (`tessaly report`, `tessaly screen`) share: the
// configuration, the product and the selection as the main window's controls would hold it.

// A command line that cannot be used; message says why.
struct UsageError
{
    QString message;
};

struct SelectionOptions
{
    QString config, product;
    QString range; // a range text; "Custom" with from and to
    QDate from, to;
    std::optional<QString> source, serial, testId;
    bool allResults = false, allRecords = false, noZero = false;
};

// An option taking a value, and a flag.
void AddValueOption(QCommandLineParser& parser, const char* name, const char* description, const char* valueName);
void AddFlagOption(QCommandLineParser& parser, const char* name, const char* description);

// Parses the arguments after the command word ("tessaly report ..."); throws UsageError on an
// unknown option or a positional argument.
void ParseHeadlessArguments(QCommandLineParser& parser, const QString& command, const QStringList& arguments);

// --config, --product, --range, --from, --to, --source, --serial, --test-id, --all-results,
// --all-records and --no-zero.
void AddSelectionOptions(QCommandLineParser& parser);

// Reads those options of a parsed command line; throws UsageError. --config and --product are
// required; the range is "Last 30 Days" unless given, "Custom" with --from and --to.
void ReadSelectionOptions(const QCommandLineParser& parser, SelectionOptions& options);

// The value of a numeric option, a whole number from lowest to highest; throws UsageError naming
// the option ("--size needs a whole number from 2 to 25, not \"x\"").
int WholeNumberOption(const QString& text, const char* option, int lowest, int highest);

// --rules (we, nelson or none; none when not given), --limits (frozen or computed; unset when not
// given) and --stages (on or off; on when not given) of a control chart; throw UsageError.
RuleSet ReadRulesOption(const QCommandLineParser& parser);
std::optional<bool> ReadLimitsOption(const QCommandLineParser& parser);
bool ReadStagesOption(const QCommandLineParser& parser);

// The file an output option names, from the folder the command was started in (the commands
// change their current folder later); "-" stays standard output where that is allowed.
QString OutputFileOption(const QCommandLineParser& parser, const QString& name, bool standardOutput);
