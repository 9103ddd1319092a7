// A folder of CSV logs, 30 days of 30,000 records: reading it the first time (the import into the
// SQLite copy that the first query of a product makes) against the sqlite3 shell importing the same
// files with .import; then reading it again after one more day's log was written, against the first
// time. The source list that opening a product runs on the copy is timed apart, for information.
//   bench_csv_logs [days [records a day]]
#include "BenchSupport.h"
#include "Connection.h"
#include "FreedMemory.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

namespace {

constexpr int kRuns = 3; // alternating, the median of each side counts
// A statement that makes the connection read the folder and returns at once.
const QString kRead = QStringLiteral("SELECT [ATEID] FROM [CSV] WHERE 1 = 0;");
const QString kSourceList = QStringLiteral("SELECT [ATEID] AS ATEx FROM [CSV] GROUP BY [ATEID] ORDER BY [ATEID];");

// One day's log as a station writes it: a header, then one line a record, ISO start times.
bool writeDay(const QString& path, int day, int records)
{
    std::mt19937 random(20240611 + day);
    std::normal_distribution<double> noise(0.0, 1.0);
    QByteArray text = "SerialNumber,ATEID,TestStartTime,PassFail,TestID,Vout,Iin,Ripple,Eff\n";
    text.reserve(records * 80);
    const QDateTime start(QDate(2024, 1, 1).addDays(day), QTime(6, 0));
    for (int i = 0; i < records; ++i) {
        const qint64 serial = qint64(day) * records + i;
        text += "SN" + QByteArray::number(serial).rightJustified(8, '0') + ",ATE-0" + QByteArray::number(1 + i % 4) +
                "," + start.addSecs(i * 2).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + "," +
                (i % 53 ? "PASS" : "FAIL") + ",T1," + QByteArray::number(5.0 + 0.03 * noise(random), 'g', 6) + "," +
                QByteArray::number(0.8 + 0.01 * noise(random), 'g', 6) + "," +
                QByteArray::number(12.0 + 2.0 * noise(random), 'g', 6) + "," +
                QByteArray::number(91.5 + 0.6 * noise(random), 'g', 6) + "\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QString dayName(int day)
{
    return QDate(2024, 1, 1).addDays(day).toString(QStringLiteral("'day-'yyyy-MM-dd'.csv'"));
}

// The shell importing every day into one table (the first with its header as column names, the
// others without their header), in a new database file.
double shellSeconds(const QString& folder, int days, const QString& database)
{
    QFile::remove(database);
    QByteArray script = ".mode csv\n.import '" + QDir(folder).filePath(dayName(0)).toUtf8() + "' Results\n";
    for (int day = 1; day < days; ++day) {
        script += ".import --skip 1 '" + QDir(folder).filePath(dayName(day)).toUtf8() + "' Results\n";
    }
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {database});
    shell.write(script);
    shell.closeWriteChannel();
    shell.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

// Runs the statement and counts its rows.
double querySeconds(Connection& connection, const QString& sql, qint64& rows)
{
    QElapsedTimer timer;
    timer.start();
    Recordset records;
    if (!records.Open(connection, sql)) {
        std::printf("the query failed: %s\n", qPrintable(records.lastError()));
        return 1e9;
    }
    for (rows = 0; !records.isEOF(); records.MoveNext()) {
        ++rows;
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    QCoreApplication app(argc, argv);
    const int days = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;
    const int records = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 30000;
    QTemporaryDir dir;
    const QString logs = dir.filePath(QStringLiteral("logs"));
    QDir().mkpath(logs);
    for (int day = 0; day < days; ++day) {
        if (!writeDay(QDir(logs).filePath(dayName(day)), day, records)) {
            std::printf("cannot write the logs in %s\n", qPrintable(logs));
            return 1;
        }
    }
    std::vector<double> shell, first, again, list;
    qint64 rows = 0, sources = 0;
    shellSeconds(logs, days, dir.filePath(QStringLiteral("shell.db"))); // the files in the page cache for both
    for (int run = 0; run < kRuns; ++run) {
        shell.push_back(shellSeconds(logs, days, dir.filePath(QStringLiteral("shell.db"))));
        // A folder of its own each run, so that no run finds its logs already copied.
        const QString folder = dir.filePath(QStringLiteral("run-%1").arg(run));
        QDir().mkpath(folder);
        for (int day = 0; day < days; ++day) {
            QFile::link(QDir(logs).filePath(dayName(day)), QDir(folder).filePath(dayName(day)));
        }
        Connection connection;
        QElapsedTimer timer;
        timer.start();
        if (!connection.open(QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + folder +
                             QStringLiteral(";Extended Properties=\"text;HDR=Yes;FMT=Delimited\";"))) {
            std::printf("opening failed: %s\n", qPrintable(connection.lastError()));
            return 1;
        }
        querySeconds(connection, kRead, rows);
        first.push_back(timer.nsecsElapsed() / 1e9);
        list.push_back(querySeconds(connection, kSourceList, sources));
        writeDay(QDir(folder).filePath(dayName(days)), days, records);
        again.push_back(querySeconds(connection, kRead, rows));
    }
    const double firstRatio = median(first) / median(shell);
    const double againRatio = median(again) / median(first);
    std::printf("sqlite3 shell, .import of %d x %d records: %.3f s (median of %d)\n", days, records, median(shell),
                kRuns);
    std::printf("first read of the folder:                   %.3f s\n", median(first));
    std::printf("read again after one more day's log:        %.3f s\n", median(again));
    std::printf("(the source list on the copy, %lld sources: %.3f s)\n", sources, median(list));
    std::printf("RESULT csv_first_read value=%.3f target=1.5 %s\n", firstRatio, firstRatio <= 1.5 ? "pass" : "fail");
    std::printf("RESULT csv_reread value=%.3f target=0.10 %s\n", againRatio, againRatio <= 0.10 ? "pass" : "fail");
    return 0;
}
