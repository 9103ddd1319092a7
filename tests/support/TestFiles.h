#pragma once

#include <QByteArray>
#include <QString>

// The read-only fixtures (TESSALY_FIXTURES) and the files tests write.
QString FixturePath(const QString& name);

// The whole file; empty when it cannot be read.
QByteArray ReadFile(const QString& path);

// Replaces the file's content; true when every byte was written.
bool WriteFile(const QString& path, const QByteArray& bytes);
