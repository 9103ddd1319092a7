#pragma once

#include "HeadlessSession.h"

#include <QString>
#include <QStringList>

// `tessaly limits freeze|list|clear|stage ...`: frozen control limits and stage starts of a
// configuration folder without a window. freeze draws the selection's chart as the report does
// and stores its limits; list prints the sets in force, the retired ones and the stages; clear
// retires a set; stage adds, renames or removes a stage start. Exit statuses as the report's,
// with 3 also for nothing to clear or remove.
namespace LimitsCommand {

// arguments start after the word "limits". A QApplication must exist.
int Run(const QStringList& arguments);

QString HelpText();

} // namespace LimitsCommand
