#include "TableDump.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

QString DumpTable(const QSqlDatabase& db, const QString& table)
{
    const QString name =
        QLatin1Char('"') + QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name, type FROM pragma_table_info('%1') ORDER BY cid")
                        .arg(QString(table).replace(QLatin1Char('\''), QStringLiteral("''"))))) {
        return query.lastError().text();
    }
    QStringList columns;
    while (query.next()) {
        columns.append(query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString());
    }
    QStringList parts{columns.join(QStringLiteral(", "))};
    if (!query.exec(QStringLiteral("SELECT * FROM ") + name)) {
        return query.lastError().text();
    }
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < columns.size(); ++i) {
            const QVariant v = query.value(i);
            values.append(v.isNull() ? QStringLiteral("NULL")
                          : v.typeId() == QMetaType::QString
                              ? QLatin1Char('\'') + v.toString() + QLatin1Char('\'')
                              : QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest));
        }
        parts.append(values.join(QLatin1Char('|')));
    }
    return parts.join(QStringLiteral("; "));
}
