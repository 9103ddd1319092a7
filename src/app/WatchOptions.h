#pragma once

#include "HeadlessOptions.h"
#include "RunRules.h"

#include <QString>
#include <QStringList>
#include <optional>

// The options of `tessaly watch`, read and checked.
struct WatchOptions : SelectionOptions
{
    QString parameter, chart = QStringLiteral("xbar");
    int size = 5; // subgroup size of an X-bar chart
    std::optional<QString> lsl, usl;
    RuleSet rules = RuleSet::None; // none: the control limits alone
    std::optional<bool> frozenLimits;
    bool stages = true;
    int intervalSeconds = 60;
    QString jsonLines;  // a file, "-" for standard output, "" for none
    QString png;        // the chart as it stands, written after each drawing that changed it; "" for none
    QStringList exec;   // the program and its arguments run for each new signal; empty for none
    bool once = false;  // one check against the state file, then the end
    QString stateFile;  // with once
};

// Reads the arguments after the word "watch"; everything after --exec is the program and its
// arguments. Throws UsageError.
WatchOptions ReadWatchOptions(const QStringList& arguments);

// The option summary printed by --help.
QString WatchHelpText();
