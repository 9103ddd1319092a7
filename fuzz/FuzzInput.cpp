#include "FuzzInput.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

void EnsureFuzzApplication()
{
    static int argc = 1;
    static char name[] = "tessaly-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

QString WriteFuzzInput(const uint8_t* data, size_t size, const QString& fileName)
{
    static const QTemporaryDir folder;
    static qint64 version = 0;
    const QString path = folder.filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        qFatal("fuzz: cannot write %s", qPrintable(path));
    }
    // Whole seconds from the epoch on: distinct on every file system, whatever its time resolution.
    file.setFileTime(QDateTime::fromSecsSinceEpoch(++version, Qt::UTC), QFileDevice::FileModificationTime);
    return path;
}

void FuzzCheck(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz: property broken: %s\n", property);
        std::abort();
    }
}
