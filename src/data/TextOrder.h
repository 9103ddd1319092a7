#pragma once

#include <QByteArrayView>

// How the SQLite engines compare the text of a column: by the collation its table declares.
// The program can compare text alike for the two collations it knows.
enum class TextOrder
{
    Binary, // SQLite's default: UTF-8 bytes
    NoCase, // the program's NOCASE (UseUnicodeNoCase)
    Other   // any other collation, or a database not in UTF-8: the program cannot compare alike
};

// The collation named in a table's declaration ("BINARY", "NOCASE", ...), for a database whose
// text is UTF-8 (utf8) or not.
TextOrder TextOrderOf(const char* collation, bool utf8);

// Below, equal to or above 0 as the engine compares the UTF-8 texts a and b: Binary byte by
// byte, NoCase without regard to case (below). Other compares as Binary; callers do not rely on it.
int CompareTexts(QByteArrayView a, QByteArrayView b, TextOrder order);

// The program's NOCASE on UTF-8 text: byte by byte while both texts are ASCII, with A-Z read as
// a-z; from the first other byte on, the rests compared case-folded by Qt.
int CompareWithoutCase(QByteArrayView a, QByteArrayView b);
