#include "TestFiles.h"

#include <QFile>

QString FixturePath(const QString& name)
{
    return qEnvironmentVariable("TESSALY_FIXTURES") + QLatin1Char('/') + name;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
