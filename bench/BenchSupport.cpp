#include "BenchSupport.h"

#include <QDir>
#include <QFile>
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

} // namespace

MsgAnswer SilentPrompts::message(const QString& text, MsgIcon, MsgButtons, const QString&)
{
    std::printf("message: %s\n", qPrintable(text));
    return MsgAnswer::OK;
}

void makeConfiguration(const QString& folder)
{
    QFile ate(QDir(folder).filePath(QStringLiteral("ATE.INI")));
    ate.open(QIODevice::WriteOnly);
    ate.write("[ATE Configuration]\r\nTestProduct=Bench\r\n[Database]\r\nDatabaseName=bench.sqlite\r\n");
    QFile products(QDir(folder).filePath(QStringLiteral("PRODUCTS.INI")));
    products.open(QIODevice::WriteOnly);
    products.write("[Bench]\r\nTableName=Results\r\n[Bench Spec]\r\n1=Vout,4.75,5.25,0,V,,Vout\r\n2=<EOT>\r\n");

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(QDir(folder).filePath(QStringLiteral("bench.sqlite")));
    db.open();
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    q.exec(QStringLiteral("CREATE TABLE Results (SerialNumber TEXT, ATEID TEXT, TestStartTime TEXT, PassFail TEXT, "
                          "TestID TEXT, Vout REAL)"));
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO Results VALUES (?, ?, ?, 'PASS', 'T1', ?)"));
    std::mt19937 random(7);
    std::normal_distribution<double> noise(5.0, 0.05);
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < kBenchRecords; ++i) {
        q.addBindValue(QStringLiteral("SN%1").arg(i, 7, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("ATE-0%1").arg(i % 4 + 1));
        q.addBindValue(start.addSecs(i * 10).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        q.addBindValue(noise(random));
        q.exec();
    }
    db.commit();
    db.close();
}

BenchWindow::BenchWindow()
    : settings(dir.filePath(QStringLiteral("settings.ini"))), clock(QDateTime(QDate(2024, 4, 30), QTime(12, 0))),
      window(AppServices{prompts, settings, clock, pump, dir.filePath(QStringLiteral("lock")), 0, QString()})
{
    makeConfiguration(dir.path());
    settings.write(kSaveConfigKey + QStringLiteral("INIPath"), dir.path());
    settings.write(kSaveConfigKey + QStringLiteral("Range"), QStringLiteral("Last 180 Days"));
    window.Load();
    window.resize(1280, 800);
    window.show();
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
