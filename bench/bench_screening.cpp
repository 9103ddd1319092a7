// Screening 20 parameters of 1,000,000 records (the main window's selection: the last record of each
// unit, passed units) against the sqlite3 shell running, in the same run, the one statement that
// reads every parameter column, and the 20 statements of the parameters' individual charts one
// after the other (medians of alternating runs); and the peak resident memory of the whole run.
#include "BenchSupport.h"
#include "QueryBuilder.h"
#include "Screening.h"
#include "SharedState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

namespace {

constexpr int kParameters = 20;
constexpr int kRuns = 5;
constexpr double kOneStatementTarget = 1.5;
constexpr double kSingleStatementsTarget = 0.25;
constexpr double kPeakTargetMiB = 400;

void printRuns(const char* what, const std::vector<double>& runs)
{
    std::printf("%s (runs", what);
    for (const double s : runs) {
        std::printf(" %.3f", s);
    }
    std::printf(")");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench(kParameters);
    frmMain& window = bench.window;
    const AnalysisContext context = window.analysisContext();
    const SharedState& state = window.state();
    const QString oneStatement =
        ToSQLiteDialect(ScreeningStatement(state, context.selection, bench.clock.today(), bench.prompts));
    QStringList singleStatements;
    for (const QString& parameter : state.gParameterField) {
        singleStatements.append(
            ToSQLiteDialect(SelectionSQL(state, context.selection, bench.clock.today(), bench.prompts, parameter,
                                         QString(), state.gTestStartTimeField + ", " + state.gATEIDField)));
    }

    std::vector<double> oneRuns, singleRuns, screenRuns;
    ScreeningResult result;
    for (int run = 0; run < kRuns; ++run) {
        oneRuns.push_back(sqliteShellSeconds(bench.databasePath(), oneStatement));
        double single = 0;
        for (const QString& sql : singleStatements) {
            single += sqliteShellSeconds(bench.databasePath(), sql);
        }
        singleRuns.push_back(single);
        QElapsedTimer timer;
        timer.start();
        result = ScreenParameters(context);
        screenRuns.push_back(timer.nsecsElapsed() / 1e9);
    }
    const double one = median(oneRuns);
    const double single = median(singleRuns);
    const double screen = median(screenRuns);
    const bool drawn = result.outcome == AnalysisOutcome::Drawn && result.rows.size() == kParameters;
    std::printf("screening: %lld records, %lld parameters%s, worst %s (Ppk %s); ", result.records,
                static_cast<long long>(result.rows.size()), drawn ? "" : " (NOT screened)",
                drawn ? qPrintable(result.rows.first().name) : "-",
                drawn ? qPrintable(ScreeningText(result.rows.first(), ScreeningColumn::Ppk)) : "-");
    printRuns("screening", screenRuns);
    std::printf(", median %.3f s; ", screen);
    printRuns("sqlite3 shell, one statement", oneRuns);
    std::printf(", median %.3f s; ", one);
    printRuns("20 single statements", singleRuns);
    std::printf(", median %.3f s\n", single);
    const double oneRatio = screen / one;
    const double singleRatio = screen / single;
    std::printf("RESULT screening_vs_one_statement value=%.3f target=%.2f %s\n", oneRatio, kOneStatementTarget,
                drawn && oneRatio <= kOneStatementTarget ? "pass" : "fail");
    std::printf("RESULT screening_vs_single_statements value=%.3f target=%.2f %s\n", singleRatio,
                kSingleStatementsTarget, drawn && singleRatio <= kSingleStatementsTarget ? "pass" : "fail");
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT screening_peak_memory value=%.0f target=%.0f %s\n", peakMiB, kPeakTargetMiB,
                peakMiB <= kPeakTargetMiB ? "pass" : "fail");
    return 0;
}
