#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <random>

namespace {

qint64 statusKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

// The name of the product's further parameter k (from 1): Param01, Param02, ...
QString extraParameterName(int k)
{
    return QStringLiteral("Param%1").arg(k, 2, 10, QLatin1Char('0'));
}

} // namespace

MsgAnswer SilentPrompts::message(const QString& text, MsgIcon, MsgButtons, const QString&)
{
    std::printf("message: %s\n", qPrintable(text));
    return MsgAnswer::OK;
}

void forEachBenchRecord(qint64 records, const std::function<void(qint64 index, const BenchRecord&)>& take)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(5.0, 0.05);
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 spacingMs = 10'000LL * kBenchRecords / records;
    BenchRecord record;
    for (qint64 i = 0; i < records; ++i) {
        record.serialNumber = QStringLiteral("SN%1").arg(i, 7, 10, QLatin1Char('0'));
        record.ateId = QStringLiteral("ATE-0%1").arg(i % 4 + 1);
        record.testStartTime = start.addMSecs(i * spacingMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        record.vout = noise(random);
        take(i, record);
    }
}

void writeBenchIniFiles(const QString& folder, const QByteArray& databaseKeys, int parameterCount)
{
    QFile ate(QDir(folder).filePath(QStringLiteral("ATE.INI")));
    ate.open(QIODevice::WriteOnly);
    ate.write("[ATE Configuration]\r\nTestProduct=Bench\r\n[Database]\r\n" + databaseKeys);
    QFile products(QDir(folder).filePath(QStringLiteral("PRODUCTS.INI")));
    products.open(QIODevice::WriteOnly);
    products.write("[Bench]\r\nTableName=Results\r\n[Bench Spec]\r\n1=Vout,4.75,5.25,0,V,,Vout\r\n");
    for (int k = 1; k < parameterCount; ++k) {
        products.write(QStringLiteral("%1=%2,-999,999,0,,,%2\r\n").arg(k + 1).arg(extraParameterName(k)).toUtf8());
    }
    products.write(QByteArray::number(parameterCount + 1) + "=<EOT>\r\n");
}

void makeConfiguration(const QString& folder, int parameterCount, qint64 records)
{
    writeBenchIniFiles(folder, "DatabaseName=bench.sqlite\r\n", parameterCount);
    QStringList extraColumns;
    for (int k = 1; k < parameterCount; ++k) {
        extraColumns.append(extraParameterName(k));
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(QDir(folder).filePath(QStringLiteral("bench.sqlite")));
    db.open();
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    q.exec(QStringLiteral("CREATE TABLE Results (SerialNumber TEXT, ATEID TEXT, TestStartTime TEXT, PassFail TEXT, "
                          "TestID TEXT, Vout REAL)"));
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO Results VALUES (?, ?, ?, 'PASS', 'T1', ?)"));
    forEachBenchRecord(records, [&q](qint64, const BenchRecord& record) {
        q.addBindValue(record.serialNumber);
        q.addBindValue(record.ateId);
        q.addBindValue(record.testStartTime);
        q.addBindValue(record.vout);
        q.exec();
    });
    db.commit();
    // The further parameters: around their number, spread by a hash of the row and tied a little
    // to Vout, so that no two columns are alike.
    QStringList assignments;
    for (int k = 1; k < parameterCount; ++k) {
        q.exec(QStringLiteral("ALTER TABLE Results ADD COLUMN %1 REAL").arg(extraColumns[k - 1]));
        assignments.append(QStringLiteral("%1 = %2 + Vout / 10 + ((rowid * 7919 + %2 * 104729) % 1009) / 10090.0")
                               .arg(extraColumns[k - 1])
                               .arg(k));
    }
    if (!assignments.isEmpty()) {
        q.exec(QStringLiteral("UPDATE Results SET ") + assignments.join(QStringLiteral(", ")));
    }
    db.close();
}

BenchWindow::BenchWindow(int parameterCount, qint64 records)
    : BenchWindow(
          [parameterCount, records](const QString& folder) { makeConfiguration(folder, parameterCount, records); })
{
}

BenchWindow::BenchWindow(const ConfigurationWriter& writeConfiguration)
    : settings(dir.filePath(QStringLiteral("settings.ini"))), clock(QDateTime(QDate(2024, 4, 30), QTime(12, 0))),
      window(AppServices{prompts, settings, clock, pump, dir.filePath(QStringLiteral("lock")), 0, QString(), {}})
{
    writeConfiguration(dir.path());
    settings.write(kSaveConfigKey + QStringLiteral("INIPath"), dir.path());
    settings.write(kSaveConfigKey + QStringLiteral("Range"), QStringLiteral("Last 180 Days"));
    window.Load();
    window.resize(1280, 800);
    window.show();
}

void runSqliteShell(const QString& file, const QString& sql)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("sqlite3"), {file, sql});
    shell.waitForFinished(-1);
}

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

qint64 residentKiB()
{
    return statusKiB("VmRSS:");
}

qint64 peakResidentKiB()
{
    return statusKiB("VmHWM:");
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}
