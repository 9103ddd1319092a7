// A refresh of a drawn control chart against a full Start Plot of the same chart, in the same run:
// an individual chart of 1,000,000 records (or as many as the first argument says) in a SQLite
// database with an index on its time column, as a station database that is watched has; a writer
// appends 100 records, then one refresh reads them, appends, judges and repaints the chart
// offscreen. And the resident memory after 10,000 refreshes that found nothing, against after the
// first.
//
//   bench_refresh           median refresh <= 50 ms and <= 3 % of the full plot; memory <= +5 MiB
//   bench_refresh 100000    a quicker run (the same targets are printed)
#include "BenchSupport.h"
#include "ConsolePrompts.h"
#include "HeadlessControlChart.h"
#include "HeadlessSession.h"
#include "LiveChart.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPlotRuns = 3;
constexpr int kRefreshRuns = 21;
constexpr int kAppended = 100;
constexpr int kEmptyRefreshes = 10'000;

// A station's writer on its own connection: `count` records in one transaction, a second apart
// from `next` on.
void appendRecords(const QString& database, QDateTime& next, int count)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("station"));
        db.setDatabaseName(database);
        db.open();
        QSqlQuery q(db);
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO Results VALUES (?, 'ATE-01', ?, 'PASS', 'T1', ?)"));
        for (int i = 0; i < count; ++i) {
            q.addBindValue(QStringLiteral("NEW%1").arg(next.toSecsSinceEpoch()));
            q.addBindValue(next.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            q.addBindValue(5.0 + (i % 9) * 0.01);
            q.exec();
            next = next.addSecs(1);
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("station"));
}

void repaintOffscreen(const ChartControl& chart, QImage& image)
{
    QPainter painter(&image);
    chart.paintChart(painter, QRectF(image.rect()));
}

} // namespace

int main(int argc, char** argv)
{
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : kBenchRecords;
    QTemporaryDir dir;
    makeConfiguration(dir.path(), 1, records);
    const QString database = dir.filePath(QStringLiteral("bench.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("index"));
        db.setDatabaseName(database);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("CREATE INDEX ResultsTime ON Results (TestStartTime)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("index"));

    SelectionOptions options;
    options.config = dir.path();
    options.product = QStringLiteral("Bench");
    options.range = QStringLiteral("Custom");
    options.from = QDate(2024, 1, 1);
    options.to = QDate(2024, 12, 31);
    options.allRecords = true;
    return RunHeadless(
        QStringLiteral("bench"), options, {},
        [&](HeadlessSession& session, const Selection& chosen, ConsolePrompts& prompts, const Clock& clock,
            const EventPump& pump) {
            Selection selection = chosen;
            selection.parameter = 0;
            ControlChartChoice choice;
            choice.individual = true;
            choice.rules = RuleSet::WesternElectric;
            const QString listing = dir.filePath(QStringLiteral("listing.spc"));
            QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);

            std::vector<double> plots;
            std::unique_ptr<HeadlessControlChart> drawn;
            for (int run = 0; run < kPlotRuns; ++run) {
                drawn = std::make_unique<HeadlessControlChart>(image.size());
                plots.push_back(noise.measure("full Start Plot", [&] {
                    drawn->plot(session, selection, choice, prompts, clock, pump, listing);
                    repaintOffscreen(drawn->chart, image);
                }));
            }
            LiveChart live(session.state, drawn->xbar, drawn->constants, drawn->request, drawn->result);
            QDateTime next(QDate(2024, 6, 1), QTime(0, 0));
            std::vector<double> refreshes;
            qint64 read = 0;
            for (int run = 0; run < kRefreshRuns; ++run) {
                appendRecords(database, next, kAppended);
                refreshes.push_back(noise.measure("refresh", [&] {
                    read += live.refresh(clock.today()).newRecords;
                    repaintOffscreen(drawn->chart, image);
                }));
            }
            const double plot = median(plots);
            const double refresh = median(refreshes);
            std::printf("%lld records: full Start Plot %.3f s, refresh of %d new records %.1f ms (%lld read in all), "
                        "%.2f %% of the full plot\n",
                        records, plot, kAppended, refresh * 1000, read, 100 * refresh / plot);
            std::printf("RESULT refresh_ms value=%.1f target=50 %s\n", refresh * 1000,
                        noise.verdict(refresh * 1000 <= 50));
            std::printf("RESULT refresh_share_of_start_plot value=%.4f target=0.03 %s\n", refresh / plot,
                        noise.verdict(refresh / plot <= 0.03));

            live.refresh(clock.today());
            const qint64 afterFirst = residentKiB();
            for (int i = 1; i < kEmptyRefreshes; ++i) {
                live.refresh(clock.today());
            }
            const double grownMiB = (residentKiB() - afterFirst) / 1024.0;
            std::printf("RESULT refresh_memory_growth_mib value=%.2f target=5 %s\n", grownMiB,
                        grownMiB <= 5 ? "pass" : "fail");
            std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                        noise.startLoad(), noise.mostOtherCores());
            return 0;
        });
}
