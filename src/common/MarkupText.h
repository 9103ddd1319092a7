#pragma once

#include <QByteArray>

// A written SVG or HTML file without the control characters that XML does not allow (every one
// below a space but tab, line feed and carriage return). A name, unit or value read from a
// database may hold them; the markup itself never does, so the file stays well-formed.
QByteArray WithoutControlCharacters(QByteArray markup);
