#pragma once

#include <QByteArray>
#include <QString>

// A text cell of a CSV file, as UTF-8: quoted when it holds a comma, a quote or a line break. A
// text a spreadsheet would take for a formula (one starting with "=", "+", "-", "@", a tab or a
// carriage return) is written after a single quote, so that it is shown and never run. Numbers
// are written as they are, without this function: -0.5 stays a number.
QByteArray CsvTextField(const QString& text);
