// Opening the scatter chart (Vout against Param01, one statement) and the Pareto chart (20
// parameters, one statement each) on 1,000,000 records, offscreen, from constructing the window to
// the window painted, against the sqlite3 shell running the same statements to /dev/null in the
// same run (medians of alternating runs); and the peak resident memory of each phase, counted from
// the resident memory at its start (the loaded main window).
#include "BenchSupport.h"
#include "ChartControl.h"
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

void runPhase(BenchWindow& bench, const Phase& phase)
{
    malloc_trim(0); // what the previous phase freed is not this one's
    const double startMiB = residentKiB() / 1024.0;
    resetPeakResident();
    std::vector<double> shellRuns;
    std::vector<double> windowRuns;
    QString drawn;
    for (int run = 0; run < kRuns; ++run) {
        double shell = 0;
        for (const QString& sql : phase.statements) {
            shell += sqliteShellSeconds(bench.databasePath(), sql);
        }
        shellRuns.push_back(shell);
        QElapsedTimer timer;
        timer.start();
        drawn = phase.openWindow();
        windowRuns.push_back(timer.nsecsElapsed() / 1e9);
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
    std::printf("RESULT %s_open value=%.3f target=%.1f %s\n", phase.name, ratio, phase.target,
                ratio <= phase.target ? "pass" : "fail");
    std::printf("RESULT %s_peak_memory value=%.0f target=%.0f %s\n", phase.name, peakMiB, kPeakTargetMiB,
                peakMiB <= kPeakTargetMiB ? "pass" : "fail");
}

} // namespace

int main(int argc, char** argv)
{
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
    const Phase pareto{"pareto", 1.3, paretoStatements, [&] {
                           frmPareto dialog(main.analysisContext(), main.printer(), &main);
                           const ParetoResult& r = dialog.result();
                           return show(dialog,
                                       QStringLiteral("%1 bars, %2 records").arg(r.bars.size()).arg(r.rowCountText));
                       }};

    runPhase(bench, scatter);
    runPhase(bench, pareto);
    return 0;
}
