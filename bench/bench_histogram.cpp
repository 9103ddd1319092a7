// Opening the histogram window on 1,000,000 records (constructed, shown and painted with its first
// drawing of 20 cells) against the sqlite3 shell running the same statement to /dev/null in the
// same run; and the peak resident memory of the whole run.
#include "BenchSupport.h"
#include "QueryBuilder.h"
#include "frmHistogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench;
    frmMain& window = bench.window;
    const AnalysisContext context = window.analysisContext();
    const QString sql =
        ToSQLiteDialect(SelectionSQL(window.state(), context.selection, bench.clock.today(), bench.prompts,
                                     QStringLiteral("Vout"), QStringLiteral("Histogram"), QString()));

    // Medians of alternating runs, so that a busy machine weighs on both sides alike.
    std::vector<double> shellRuns;
    std::vector<double> openRuns;
    qint64 values = 0;
    bool drawn = true;
    // Seven runs: on a shared machine single runs of either side move by a third.
    for (int run = 0; run < 7; ++run) {
        shellRuns.push_back(sqliteShellSeconds(bench.databasePath(), sql));
        QElapsedTimer timer;
        timer.start();
        frmHistogram dialog(context, window.printer(), &window);
        dialog.show();
        dialog.repaint();
        openRuns.push_back(timer.nsecsElapsed() / 1e9);
        drawn = drawn && dialog.lastResult().outcome == AnalysisOutcome::Drawn;
        values = dialog.lastResult().statistics.n;
    }
    const double shell = median(shellRuns);
    const double open = median(openRuns);
    const double ratio = open / shell;
    std::printf("histogram: %lld values%s, window open and drawn %.3f s, sqlite3 shell %.3f s, ratio %.2f\n", values,
                drawn ? "" : " (NOT drawn)", open, shell, ratio);
    std::printf("RESULT histogram_open value=%.3f target=1.3 %s\n", ratio, drawn && ratio <= 1.3 ? "pass" : "fail");
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT histogram_peak_memory value=%.0f target=400 %s\n", peakMiB, peakMiB <= 400 ? "pass" : "fail");
    return 0;
}
