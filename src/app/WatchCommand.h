#pragma once

#include "HeadlessSession.h"

#include <QStringList>

// `tessaly watch ...`: one control chart that follows its data without a desktop session. It
// draws the chart of the selection as `tessaly report` does, then refreshes it every interval
// with the records new since the last refresh and announces each signal at a point a refresh newly
// drew, until SIGINT or SIGTERM; or, with --once, checks once against a state file.
namespace WatchCommand {

inline constexpr int kOk = HeadlessStatus::kOk;
inline constexpr int kUsage = HeadlessStatus::kUsage;
inline constexpr int kNewSignals = 5; // --once: signals appeared since the last check

// arguments start after the word "watch". A QApplication must exist.
int Run(const QStringList& arguments);

// The option summary printed by --help.
QString HelpText();

} // namespace WatchCommand
