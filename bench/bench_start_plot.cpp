// Start Plot to drawn chart on 1,000,000 records (or as many as the first argument says), X-bar
// (n = 5) and individual, offscreen, with the last record of each unit and with every record,
// against the sqlite3 shell running to /dev/null, in the same run, the statement the query builder
// writes for the same chart; and the peak resident memory of the whole run.
//
//   bench_start_plot            1,000,000 records: the last records of each unit ratio <= 0.9,
//                               every record ratio <= 1.0, peak <= 200 MiB
//   bench_start_plot 10000000   10,000,000 records: peak <= 1200 MiB (the ratios are printed)
//
// Each chart also says when the engine's last row was in and what share of the whole came after.
#include "BenchSupport.h"
#include "ControlChartLoader.h"
#include "FreedMemory.h"
#include "QueryBuilder.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 3;

struct Phase
{
    const char* name;
    bool individual;
    bool lastDataOnly;
    double target; // ratio to the shell
};

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : kBenchRecords;
    const bool large = records > kBenchRecords;
    BenchWindow bench(1, records);
    frmMain& window = bench.window;
    Ui::frmMain& ui = window.form();

    const Phase phases[] = {
        {"start_plot_xbar", false, true, 0.9},
        {"start_plot_individual", true, true, 0.9},
        {"start_plot_xbar_every_record", false, false, 1.0},
        {"start_plot_individual_every_record", true, false, 1.0},
    };
    for (const Phase& phase : phases) {
        (phase.individual ? ui.optIndividualPlot : ui.optXBarPlot)->setChecked(true);
        ui.chkLastDataOnly->setChecked(phase.lastDataOnly);
        const QString sql = ToSQLiteDialect(SelectionSQL(window.state(), window.currentSelection(), bench.clock.today(),
                                                         bench.prompts, QStringLiteral("Vout"), QString(),
                                                         QStringLiteral("[TestStartTime], [ATEID]")));
        // Medians of alternating runs, so that what the machine does weighs on both sides alike.
        std::printf("%s:\n", phase.name);
        std::vector<double> shellRuns;
        std::vector<double> plotRuns;
        std::vector<double> afterLastRow;
        for (int run = 0; run < kRuns; ++run) {
            shellRuns.push_back(noise.measure("sqlite3 shell", [&] { runSqliteShell(bench.databasePath(), sql); }));
            plotRuns.push_back(noise.measure("Start Plot to drawn chart", [&] {
                ui.cmdPlotChart->click();
                window.repaint(); // the drawn chart
            }));
            afterLastRow.push_back(1 - window.lastPlot().msToLastRow / 1000.0 / plotRuns.back());
        }
        const double shell = median(shellRuns);
        const double plot = median(plotRuns);
        const double ratio = plot / shell;
        std::printf("%s: %lld points, rows ordered by the %s; Start Plot to drawn chart %.3f s, sqlite3 shell %.3f s, "
                    "ratio %.2f; after the last row %.0f %% of the whole\n",
                    phase.name, ui.ocxXBarChart->pointCount(0),
                    window.lastPlot().orderedBy == OrderedBy::Program ? "program" : "engine", plot, shell, ratio,
                    100 * median(afterLastRow));
        if (!large) {
            std::printf("RESULT %s value=%.3f target=%.1f %s\n", phase.name, ratio, phase.target,
                        noise.verdict(ratio <= phase.target));
        }
    }
    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    const double peakMiB = peakResidentKiB() / 1024.0;
    const double target = large ? 1200 : 200;
    std::printf("RESULT start_plot_peak_memory records=%lld value=%.0f target=%.0f %s\n", records, peakMiB, target,
                peakMiB <= target ? "pass" : "fail");
    return 0;
}
