#pragma once

#include <QString>

// The program's version as "major.minor.revision", each in plain decimal.
QString VersionText();

// The logo of the splash and About windows.
class QPixmap;
QPixmap TessalyLogo();
