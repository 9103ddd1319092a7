#pragma once

#include "HeadlessSession.h"

#include <QStringList>

// `tessaly report ...`: one chart of one selection without a desktop session. It opens the product
// and builds the selection as the main window does and draws with the windows' own loaders,
// computations and renderer on a chart that is never shown, with messages on standard error and
// no saved choices read or written; it writes the chart as PNG, SVG or PDF and the numbers as
// JSON.
namespace ReportCommand {

// Exit statuses: those of every headless command, and one of its own.
inline constexpr int kOk = HeadlessStatus::kOk;
inline constexpr int kUsage = HeadlessStatus::kUsage;
inline constexpr int kNoData = HeadlessStatus::kNoData;
inline constexpr int kConfiguration = HeadlessStatus::kConfiguration;
inline constexpr int kCannotWrite = HeadlessStatus::kCannotWrite; // an output file could not be written
inline constexpr int kSignal = 5; // --fail-on-signal: the chart has an out-of-control signal

// arguments start after the word "report". A QApplication must exist.
int Run(const QStringList& arguments);

// The option summary printed by --help.
QString HelpText();

} // namespace ReportCommand
