#include "SqliteEngine.h"

#include "TextOrder.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace {

// SQLite collation callback: text as UTF-8 of the given byte lengths, not terminated.
int noCaseCollation(void* /*unused*/, int size1, const void* text1, int size2, const void* text2)
{
    return CompareWithoutCase(QByteArrayView(static_cast<const char*>(text1), size1),
                              QByteArrayView(static_cast<const char*>(text2), size2));
}

} // namespace

sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        return *static_cast<sqlite3* const*>(handle.constData());
    }
    return nullptr;
}

bool UseUnicodeNoCase(sqlite3* engine)
{
    return engine && sqlite3_create_collation(engine, "NOCASE", SQLITE_UTF8, nullptr, &noCaseCollation) == SQLITE_OK;
}
