#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The character itself and its other cases (lower, upper, folded), each once: "é" -> é, É;
// "ß" -> ß alone; a character without case alone.
QList<char32_t> LetterCases(char32_t c);

// A quoted text of the program's SQL ("'sné1.'", an apostrophe inside written twice) as a quoted
// regular expression that matches that text whole in any case and nothing else:
// "'^[sS][nN][éÉ]1\.<end>'". Each letter becomes the set of its cases, so "ß" never matches "SS"
// and "e" never matches "É", whatever the server's locale or collation; the other marks of
// regular expressions are escaped with a backslash. `end` anchors the end of the text: "$" for
// PostgreSQL, "\z" for MariaDB (whose "$" also matches before a final line break).
QString AnyCaseRegex(QStringView literal, QStringView end);
