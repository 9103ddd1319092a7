#pragma once

#include <QString>
#include <QStringList>

// `tessaly screen ...`: every parameter of a product screened for one selection without a desktop
// session, through the screening the window shows; writes the table as CSV, JSON or a
// self-contained HTML page. Exit statuses as the report's: 0 done, 2 usage, 3 no data,
// 4 configuration, database or output file.
namespace ScreenCommand {

// arguments start after the word "screen". A QApplication must exist.
int Run(const QStringList& arguments);

// The option summary printed by --help.
QString HelpText();

} // namespace ScreenCommand
