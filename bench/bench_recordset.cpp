// Reading 1,000,000 rows into a client recordset against a bare forward QSqlQuery loop over the
// same statement on the same SQLite file, in one run.
#include "BenchNoise.h"
#include "Connection.h"
#include "FreedMemory.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
const QString kStatement = QStringLiteral(
    "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX FROM Results "
    "ORDER BY [TestStartTime], [ATEID];");

void makeDatabase(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    db.open();
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    q.exec(QStringLiteral("CREATE TABLE Results (SerialNumber TEXT, ATEID TEXT, TestStartTime TEXT, Vout REAL)"));
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO Results VALUES (?, ?, ?, ?)"));
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0));
    for (int i = 0; i < kRows; ++i) {
        q.bindValue(0, QStringLiteral("SN%1").arg(i, 7, 10, QLatin1Char('0')));
        q.bindValue(1, QStringLiteral("ATE-0%1").arg(i % 4 + 1));
        q.bindValue(2, start.addSecs(i * 7).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        q.bindValue(3, i % 97 == 0 ? QVariant() : QVariant(5.0 + (i % 1000) / 10000.0));
        q.exec();
    }
    db.commit();
    db.close();
}

double bareLoopSeconds(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::contains(QStringLiteral("bare"))
                          ? QSqlDatabase::database(QStringLiteral("bare"))
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    db.open();
    QElapsedTimer timer;
    timer.start();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(kStatement);
    double sum = 0;
    qint64 rows = 0;
    while (q.next()) {
        sum += q.value(3).toDouble() + q.value(0).toString().size() + q.value(1).toString().size() +
               q.value(2).toString().size();
        ++rows;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("bare QSqlQuery loop: %lld rows in %.3f s (checksum %.1f)\n", rows, seconds, sum);
    return seconds;
}

double recordsetSeconds(const QString& path)
{
    Connection connection;
    connection.open(QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';'));
    QElapsedTimer timer;
    timer.start();
    Recordset rs;
    if (!rs.Open(connection, kStatement)) {
        std::printf("recordset failed: %s\n", qPrintable(rs.lastError()));
        return 1e9;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("client recordset:    %lld rows in %.3f s\n", rs.RecordCount(), seconds);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.sqlite"));
    makeDatabase(path);
    // Warm the file cache so neither side pays for the first read, then take the median of
    // alternating runs so that a busy machine weighs on both sides alike.
    bareLoopSeconds(path);
    std::vector<double> bareRuns;
    std::vector<double> clientRuns;
    for (int run = 0; run < 5; ++run) {
        noise.measure("bare loop", [&] { bareRuns.push_back(bareLoopSeconds(path)); });
        noise.measure("client recordset", [&] { clientRuns.push_back(recordsetSeconds(path)); });
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double bare = median(bareRuns);
    const double client = median(clientRuns);
    const double ratio = client / bare;
    std::printf("ratio %.3f\n", ratio);
    std::printf("RESULT recordset_fetch value=%.3f target=1.2 %s\n", ratio, noise.verdict(ratio <= 1.2));
    return 0;
}
