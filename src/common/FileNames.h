#pragma once

#include <QString>

// File names match without regard to case on every platform: "ate.ini" finds ATE.INI.
// Returns the full path of the entry of folder whose name equals name ignoring case (an exact
// match wins), or an empty string when there is none.
QString FindFileNoCase(const QString& folder, const QString& name);

// The folder of temporary files: the TEMP variable when it names a folder, else the system's
// temporary folder, else the current directory.
QString TemporaryFolder();
