// Start Plot to drawn chart on 1,000,000 records (or as many as the first argument says), X-bar
// (n = 5) and individual, offscreen, against the sqlite3 shell running the same statement to
// /dev/null in the same run; and the peak resident memory of the whole run.
//
//   bench_start_plot            1,000,000 records: ratio <= 1.15, peak <= 200 MiB
//   bench_start_plot 10000000   10,000,000 records: peak <= 1200 MiB (the ratio is printed)
#include "BenchSupport.h"
#include "QueryBuilder.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : kBenchRecords;
    const bool large = records > kBenchRecords;
    BenchWindow bench(1, records);
    frmMain& window = bench.window;
    Ui::frmMain& ui = window.form();

    for (const bool individual : {false, true}) {
        (individual ? ui.optIndividualPlot : ui.optXBarPlot)->setChecked(true);
        const QString sql = ToSQLiteDialect(SelectionSQL(window.state(), window.currentSelection(), bench.clock.today(),
                                                         bench.prompts, QStringLiteral("Vout"), QString(),
                                                         QStringLiteral("[TestStartTime], [ATEID]")));
        // Medians of alternating runs, so that a busy machine weighs on both sides alike.
        std::vector<double> shellRuns;
        std::vector<double> plotRuns;
        for (int run = 0; run < 3; ++run) {
            shellRuns.push_back(sqliteShellSeconds(bench.databasePath(), sql));
            QElapsedTimer timer;
            timer.start();
            ui.cmdPlotChart->click();
            window.repaint(); // the drawn chart
            plotRuns.push_back(timer.nsecsElapsed() / 1e9);
        }
        const double shell = median(shellRuns);
        const double plot = median(plotRuns);
        const double ratio = plot / shell;
        const char* name = individual ? "start_plot_individual" : "start_plot_xbar";
        std::printf("%s: %lld points, Start Plot to drawn chart %.3f s, sqlite3 shell %.3f s, ratio %.2f\n", name,
                    ui.ocxXBarChart->pointCount(0), plot, shell, ratio);
        if (!large) {
            std::printf("RESULT %s value=%.3f target=1.15 %s\n", name, ratio, ratio <= 1.15 ? "pass" : "fail");
        }
    }
    const double peakMiB = peakResidentKiB() / 1024.0;
    const double target = large ? 1200 : 200;
    std::printf("RESULT start_plot_peak_memory records=%lld value=%.0f target=%.0f %s\n", records, peakMiB, target,
                peakMiB <= target ? "pass" : "fail");
    return 0;
}
