// Screening 20 parameters of 1,000,000 records (the main window's selection: the last record of each
// unit, passed units) against the sqlite3 shell running, in the same run, the one statement that
// reads every parameter column, and the 20 statements of the parameters' individual charts one
// after the other (medians of alternating runs); and the peak resident memory of the whole run.
#include "BenchSupport.h"
#include "FreedMemory.h"
#include "QueryBuilder.h"
#include "Screening.h"
#include "SharedState.h"

#include <QApplication>
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
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
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
        oneRuns.push_back(
            noise.measure("sqlite3 shell, one statement", [&] { runSqliteShell(bench.databasePath(), oneStatement); }));
        singleRuns.push_back(noise.measure("sqlite3 shell, 20 single statements", [&] {
            for (const QString& sql : singleStatements) {
                runSqliteShell(bench.databasePath(), sql);
            }
        }));
        screenRuns.push_back(noise.measure("screening", [&] { result = ScreenParameters(context); }));
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
    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    std::printf("RESULT screening_vs_one_statement value=%.3f target=%.2f %s\n", oneRatio, kOneStatementTarget,
                noise.verdict(drawn && oneRatio <= kOneStatementTarget));
    std::printf("RESULT screening_vs_single_statements value=%.3f target=%.2f %s\n", singleRatio,
                kSingleStatementsTarget, noise.verdict(drawn && singleRatio <= kSingleStatementsTarget));
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT screening_peak_memory value=%.0f target=%.0f %s\n", peakMiB, kPeakTargetMiB,
                peakMiB <= kPeakTargetMiB ? "pass" : "fail");
    return 0;
}
