#pragma once

#include <QStringList>

// `tessaly report ...`: a control chart of one selection without a desktop session. It runs the
// main window's own code (configuration, database, query, loaders, limits, renderer) on a window
// that is never shown, with messages on standard error and no saved choices read or written,
// and writes the chart as PNG, SVG or PDF and the numbers as JSON.
namespace ReportCommand {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kUsage = 2;
inline constexpr int kNoData = 3;
inline constexpr int kConfiguration = 4;

// arguments start after the word "report". A QApplication must exist.
int Run(const QStringList& arguments);

// The option summary printed by --help.
QString HelpText();

} // namespace ReportCommand
