#include "SqliteEngine.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <algorithm>
#include <sqlite3.h>

namespace {

unsigned char foldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c | 0x20) : c;
}

// SQLite collation callback: text as UTF-8 of the given byte lengths, not terminated. Both texts
// are compared byte by byte while they are ASCII; from the first other byte on, the rests are
// compared case-folded by Qt. The ASCII prefix ends on a character boundary and folds alike in
// both, so the result is always the one Qt gives for the whole texts.
int compareWithoutCase(void* /*unused*/, int size1, const void* text1, int size2, const void* text2)
{
    const auto* a = static_cast<const unsigned char*>(text1);
    const auto* b = static_cast<const unsigned char*>(text2);
    const int common = std::min(size1, size2);
    for (int i = 0; i < common; ++i) {
        if ((a[i] | b[i]) & 0x80) {
            const QString restA = QString::fromUtf8(reinterpret_cast<const char*>(a + i), size1 - i);
            const QString restB = QString::fromUtf8(reinterpret_cast<const char*>(b + i), size2 - i);
            return restA.compare(restB, Qt::CaseInsensitive);
        }
        const int difference = foldAscii(a[i]) - foldAscii(b[i]);
        if (difference != 0) {
            return difference;
        }
    }
    return size1 - size2; // a text that begins the other sorts first
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
    return engine && sqlite3_create_collation(engine, "NOCASE", SQLITE_UTF8, nullptr, &compareWithoutCase) == SQLITE_OK;
}
