// Opening the scatter chart (Vout against Param01, one statement; ratio <= 1.5) and the Pareto chart
// of 20 parameters (ratio <= 0.15) on 1,000,000 records, the last record of each unit, offscreen,
// from constructing the window to the window painted, against the sqlite3 shell running to
// /dev/null in the same run the query builder's statements of the same charts (for the Pareto
// chart its 20 statements, one per parameter; medians of alternating runs); and the peak resident
// memory of each phase, counted from the resident memory at its start (the loaded main window).
#include "BenchSupport.h"
#include "ChartControl.h"
#include "FreedMemory.h"
#include "QueryBuilder.h"
#include "SharedState.h"
#include "frmPareto.h"
#include "frmScatter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <vector>

namespace {

constexpr int kParameters = 20;
constexpr int kRuns = 3;
constexpr double kPeakTargetMiB = 400;

// Counts the paint events of the widget it filters.
class PaintCounter : public QObject
{
public:
    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

struct Phase
{
    const char* name;
    double target; // ratio to the shell
    QStringList statements;
    std::function<QString()> openWindow; // opens, paints and closes the window; what it drew
};

void runPhase(NoiseMeter& noise, BenchWindow& bench, const Phase& phase)
{
    malloc_trim(0); // what the previous phase freed is not this one's
    const double startMiB = residentKiB() / 1024.0;
    resetPeakResident();
    std::vector<double> shellRuns;
    std::vector<double> windowRuns;
    QString drawn;
    std::printf("%s:\n", phase.name);
    for (int run = 0; run < kRuns; ++run) {
        shellRuns.push_back(noise.measure("sqlite3 shell", [&] {
            for (const QString& sql : phase.statements) {
                runSqliteShell(bench.databasePath(), sql);
            }
        }));
        windowRuns.push_back(noise.measure("window open to drawn", [&] { drawn = phase.openWindow(); }));
    }
    const double shell = median(shellRuns);
    const double window = median(windowRuns);
    const double ratio = window / shell;
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("%s: %s; open to drawn %.3f s (runs", phase.name, qPrintable(drawn), window);
    for (const double s : windowRuns) {
        std::printf(" %.3f", s);
    }
    std::printf("), sqlite3 shell %.3f s for %lld statement(s) (runs", shell,
                static_cast<long long>(phase.statements.size()));
    for (const double s : shellRuns) {
        std::printf(" %.3f", s);
    }
    std::printf("), ratio %.2f; resident %.0f MB at the start, peak %.0f MB\n", ratio, startMiB, peakMiB);
    std::printf("RESULT %s_open value=%.3f target=%.2f %s\n", phase.name, ratio, phase.target,
                noise.verdict(ratio <= phase.target));
    std::printf("RESULT %s_peak_memory value=%.0f target=%.0f %s\n", phase.name, peakMiB, kPeakTargetMiB,
                peakMiB <= kPeakTargetMiB ? "pass" : "fail");
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench(kParameters);
    frmMain& main = bench.window;
    const SharedState& state = main.state();
    const auto statement = [&](const QString& parameter, const QString& chartType) {
        return ToSQLiteDialect(SelectionSQL(state, main.currentSelection(), bench.clock.today(), bench.prompts,
                                            parameter, chartType, QString()));
    };

    // Shows the loaded window until its chart has been painted; what it drew, and in how many seconds.
    const auto show = [](QDialog& dialog, const QString& drawn) {
        PaintCounter chart;
        dialog.findChild<ChartControl*>()->installEventFilter(&chart);
        QElapsedTimer timer;
        timer.start();
        dialog.resize(1000, 640);
        dialog.show();
        QCoreApplication::processEvents(); // the window is exposed and painted
        if (chart.paints == 0) {
            dialog.repaint();
        }
        return drawn + QStringLiteral(", shown and painted in %1 s").arg(timer.nsecsElapsed() / 1e9, 0, 'f', 3);
    };
    const Phase scatter{"scatter", 1.5, {statement(QStringLiteral("Vout:::Param01"), QStringLiteral("Scatter"))}, [&] {
                            frmScatter dialog(main.analysisContext(), {0, 1, {}, {}}, main.printer(), &main);
                            const ScatterStatistics& s = dialog.result().statistics;
                            return show(dialog, QStringLiteral("%1 pairs, r %2").arg(s.n).arg(s.r));
                        }};
    QStringList paretoStatements;
    for (const QString& parameter : state.gParameterField) {
        paretoStatements.append(statement(parameter, QStringLiteral("Pareto")));
    }
    const Phase pareto{"pareto", 0.15, paretoStatements, [&] {
                           frmPareto dialog(main.analysisContext(), main.printer(), &main);
                           const ParetoResult& r = dialog.result();
                           return show(dialog,
                                       QStringLiteral("%1 bars, %2 records, %3")
                                           .arg(r.bars.size())
                                           .arg(r.rowCountText, r.orderedBy == OrderedBy::Program
                                                                    ? QStringLiteral("one statement")
                                                                    : QStringLiteral("one statement per parameter")));
                       }};

    runPhase(noise, bench, scatter);
    runPhase(noise, bench, pareto);
    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    return 0;
}
