// Opening the histogram window on 1,000,000 records, the last record of each unit (constructed,
// shown and painted with its first drawing of 20 cells) against the sqlite3 shell running the
// histogram's statement to /dev/null in the same run (ratio <= 0.9); and the peak resident memory
// of the whole run.
#include "BenchSupport.h"
#include "FreedMemory.h"
#include "QueryBuilder.h"
#include "frmHistogram.h"

#include <QApplication>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench;
    frmMain& window = bench.window;
    const AnalysisContext context = window.analysisContext();
    const QString sql =
        ToSQLiteDialect(SelectionSQL(window.state(), context.selection, bench.clock.today(), bench.prompts,
                                     QStringLiteral("Vout"), QStringLiteral("Histogram"), QString()));

    // Medians of alternating runs, so that what the machine does weighs on both sides alike.
    std::vector<double> shellRuns;
    std::vector<double> openRuns;
    qint64 values = 0;
    bool drawn = true;
    bool program = true;
    for (int run = 0; run < 5; ++run) {
        shellRuns.push_back(noise.measure("sqlite3 shell", [&] { runSqliteShell(bench.databasePath(), sql); }));
        openRuns.push_back(noise.measure("histogram window open and drawn", [&] {
            frmHistogram dialog(context, window.printer(), &window);
            dialog.show();
            dialog.repaint();
            drawn = drawn && dialog.lastResult().outcome == AnalysisOutcome::Drawn;
            program = program && dialog.lastResult().orderedBy == OrderedBy::Program;
            values = dialog.lastResult().statistics.n;
        }));
    }
    const double shell = median(shellRuns);
    const double open = median(openRuns);
    const double ratio = open / shell;
    std::printf("histogram: %lld values%s, grouped by the %s, window open and drawn %.3f s, sqlite3 shell %.3f s, "
                "ratio %.2f\n",
                values, drawn ? "" : " (NOT drawn)", program ? "program" : "engine", open, shell, ratio);
    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    std::printf("RESULT histogram_open value=%.3f target=0.9 %s\n", ratio, noise.verdict(drawn && ratio <= 0.9));
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT histogram_peak_memory value=%.0f target=400 %s\n", peakMiB, peakMiB <= 400 ? "pass" : "fail");
    return 0;
}
