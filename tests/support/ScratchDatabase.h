#pragma once

#include <QSqlDatabase>
#include <QString>

// A SQLite connection of a test's own, opened on `path` (a database in memory when none is
// given) and closed and forgotten by Qt when the object goes.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString& path = QStringLiteral(":memory:"));
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    QSqlDatabase db;
};
