#include "ResultsTable.h"

#include "ScratchDatabase.h"
#include "TestFiles.h"

#include <QSqlQuery>

void WriteResultsTable(const QString& path, const QStringList& parameterColumns, const QList<ResultRecord>& records)
{
    ScratchDatabase scratch(path);
    QSqlQuery q(scratch.db);
    q.exec(QStringLiteral("CREATE TABLE Results (SerialNumber TEXT, ATEID TEXT, TestStartTime TEXT, "
                          "PassFail TEXT, TestID TEXT, %1 REAL)")
               .arg(parameterColumns.join(QStringLiteral(" REAL, "))));
    scratch.db.transaction();
    q.prepare(QStringLiteral("INSERT INTO Results VALUES (?, ?, ?, ?, 'T1'%1)")
                  .arg(QStringLiteral(", ?").repeated(parameterColumns.size())));
    for (const ResultRecord& r : records) {
        for (const QVariant& v : QList<QVariant>{r.serial, r.source, r.time, r.verdict} + r.values) {
            q.addBindValue(v);
        }
        q.exec();
    }
    scratch.db.commit();
}

void WriteResultsCsv(const QString& path, const QStringList& parameterColumns, const QList<ResultRecord>& records)
{
    QStringList lines{(QStringList{"SerialNumber", "ATEID", "TestStartTime", "PassFail", "TestID"} + parameterColumns)
                          .join(QLatin1Char(','))};
    for (const ResultRecord& r : records) {
        QStringList fields{r.serial, r.source, r.time, r.verdict, QStringLiteral("T1")};
        for (const QVariant& v : r.values) {
            fields.append(v.isNull() ? QString() : v.toString());
        }
        lines.append(fields.join(QLatin1Char(',')));
    }
    WriteFile(path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}
