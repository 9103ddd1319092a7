// Start Plot to drawn chart on 1,000,000 records, X-bar (n = 5) and individual, offscreen, against
// the sqlite3 shell running the same statement to /dev/null in the same run; and the peak
// resident memory of the whole run.
#include "Clock.h"
#include "EventPump.h"
#include "Prompts.h"
#include "QueryBuilder.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kRecords = 1'000'000;

// Answers every question with its first button and records nothing.
class SilentPrompts final : public Prompts
{
public:
    MsgAnswer message(const QString& text, MsgIcon, MsgButtons, const QString&) override
    {
        std::printf("message: %s\n", qPrintable(text));
        return MsgAnswer::OK;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
    bool openInTextEditor(const QString&) override { return false; }
    int showModal(QDialog&) override { return 0; }
};

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
    for (int i = 0; i < kRecords; ++i) {
        q.addBindValue(QStringLiteral("SN%1").arg(i, 7, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("ATE-0%1").arg(i % 4 + 1));
        q.addBindValue(start.addSecs(i * 10).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        q.addBindValue(noise(random));
        q.exec();
    }
    db.commit();
    db.close();
}

double shellSeconds(const QString& file, const QString& sql)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {file, sql});
    shell.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    makeConfiguration(dir.path());

    SilentPrompts prompts;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.write(kSaveConfigKey + QStringLiteral("INIPath"), dir.path());
    settings.write(kSaveConfigKey + QStringLiteral("Range"), QStringLiteral("Last 180 Days"));
    FixedClock clock(QDateTime(QDate(2024, 4, 30), QTime(12, 0)));
    const EventPump pump;
    frmMain window(AppServices{prompts, settings, clock, pump, dir.filePath(QStringLiteral("lock")), 0, QString()});
    window.Load();
    window.resize(1280, 800);
    window.show();
    Ui::frmMain& ui = window.form();

    bool pass = true;
    for (const bool individual : {false, true}) {
        (individual ? ui.optIndividualPlot : ui.optXBarPlot)->setChecked(true);
        const QString sql = ToSQLiteDialect(window.GetSQL(QStringLiteral("Vout"), QStringLiteral("Last 180 Days"),
                                                          QString(), QStringLiteral("[TestStartTime], [ATEID]"),
                                                          QString(), QStringLiteral("= 'PASS'"), true));
        // Medians of alternating runs, so that a busy machine weighs on both sides alike.
        std::vector<double> shellRuns;
        std::vector<double> plotRuns;
        for (int run = 0; run < 3; ++run) {
            shellRuns.push_back(shellSeconds(dir.filePath(QStringLiteral("bench.sqlite")), sql));
            QElapsedTimer timer;
            timer.start();
            ui.cmdPlotChart->click();
            window.repaint(); // the drawn chart
            plotRuns.push_back(timer.nsecsElapsed() / 1e9);
        }
        const auto median = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        const double shell = median(shellRuns);
        const double plot = median(plotRuns);
        const double ratio = plot / shell;
        const char* name = individual ? "start_plot_individual" : "start_plot_xbar";
        std::printf("%s: %lld points, Start Plot to drawn chart %.3f s, sqlite3 shell %.3f s, ratio %.2f\n", name,
                    ui.ocxXBarChart->pointCount(0), plot, shell, ratio);
        std::printf("RESULT %s value=%.3f target=1.5 %s\n", name, ratio, ratio <= 1.5 ? "pass" : "fail");
        pass = pass && ratio <= 1.5;
    }
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT start_plot_peak_memory value=%.0f target=400 %s\n", peakMiB, peakMiB <= 400 ? "pass" : "fail");
    return 0;
}
