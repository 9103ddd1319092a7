#include "FileNames.h"

#include <QDir>
#include <QFileInfo>

QString FindFileNoCase(const QString& folder, const QString& name)
{
    if (name.isEmpty()) {
        return {};
    }
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    const QFileInfo exact(dir.filePath(name));
    if (exact.isFile()) {
        return exact.absoluteFilePath();
    }
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.absoluteFilePath(entry);
        }
    }
    return {};
}

QString TemporaryFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty() && QFileInfo(temp).isDir()) {
        return QDir(temp).absolutePath();
    }
    if (temp.isEmpty()) {
        const QString system = QDir::tempPath();
        if (QFileInfo(system).isDir()) {
            return system;
        }
    }
    return QDir::currentPath();
}
