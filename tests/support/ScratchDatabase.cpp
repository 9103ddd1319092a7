#include "ScratchDatabase.h"

namespace {

QString nextConnectionName()
{
    static int made = 0;
    return QStringLiteral("scratch-%1").arg(++made);
}

} // namespace

ScratchDatabase::ScratchDatabase(const QString& path)
    : db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nextConnectionName()))
{
    db.setDatabaseName(path);
    db.open();
}

ScratchDatabase::~ScratchDatabase()
{
    const QString name = db.connectionName();
    db = QSqlDatabase(); // the last handle goes before the connection is removed
    QSqlDatabase::removeDatabase(name);
}
