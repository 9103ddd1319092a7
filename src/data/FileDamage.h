#pragma once

#include <QString>

// How every importer describes a file it cannot read whole, rather than giving part of its records.
inline QString DamagedFileMessage(const QString& path, const QString& what)
{
    return QStringLiteral("File '%1' is damaged: %2").arg(path, what);
}
