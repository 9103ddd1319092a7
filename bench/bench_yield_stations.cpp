// The yield chart (p chart by day) of 1,000,000 units and the station comparison of 1,000,000
// records, each against the sqlite3 shell running its statement to /dev/null in the same run
// (medians of alternating runs); and the peak resident memory of the measured part of the run.
// Every record is a unit of its own; one in fifty fails. An argument gives another number of records.
#include "BenchSupport.h"
#include "ChartControl.h"
#include "FreedMemory.h"
#include "QueryBuilder.h"
#include "StationChart.h"
#include "StationPlot.h"
#include "UnitRecords.h"
#include "YieldChart.h"
#include "YieldPlot.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr double kTarget = 1.3;
constexpr double kPeakTargetMiB = 200;

void failSomeUnits(const QString& folder, qint64 records)
{
    makeConfiguration(folder, 1, records);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("failures"));
        db.setDatabaseName(folder + QStringLiteral("/bench.sqlite"));
        db.open();
        QSqlQuery(db).exec(QStringLiteral("UPDATE Results SET PassFail = 'FAIL' WHERE rowid % 50 = 0"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("failures"));
}

// The medians of the shell's and the program's runs, alternating.
std::pair<double, double> measure(NoiseMeter& noise, const QString& database, const QString& sql,
                                  const std::function<void()>& work)
{
    std::vector<double> shellRuns, workRuns;
    for (int run = 0; run < kRuns; ++run) {
        shellRuns.push_back(noise.measure("sqlite3 shell", [&] { runSqliteShell(database, sql); }));
        workRuns.push_back(noise.measure("chart", work));
    }
    return {median(shellRuns), median(workRuns)};
}

void printResult(const NoiseMeter& noise, const char* name, double ratio, bool done)
{
    std::printf("RESULT %s value=%.3f target=%.1f %s\n", name, ratio, kTarget, noise.verdict(done && ratio <= kTarget));
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : kBenchRecords;
    BenchWindow bench([records](const QString& folder) { failSomeUnits(folder, records); });
    AnalysisContext context = bench.window.analysisContext();
    context.selection.parameter = 0;
    const SharedState& state = bench.window.state();
    resetPeakResident();

    ChartControl yieldControl;
    YieldChart yieldChart(yieldControl);
    YieldResult yield;
    const QString yieldSql =
        ToSQLiteDialect(UnitStatement(state, context.selection, bench.clock.today(), bench.prompts, {}));
    const auto [yieldShell, yieldTime] =
        measure(noise, bench.databasePath(), yieldSql, [&] { yield = PlotYield(context, YieldOptions{}, yieldChart); });
    const bool yieldDrawn = yield.outcome == AnalysisOutcome::Drawn && yield.chart.units == records;
    std::printf("p chart: %lld units, %lld failed, %zu days%s; %.3f s, sqlite3 shell %.3f s\n", yield.chart.units,
                yield.chart.failed, yield.chart.points.size(), yieldDrawn ? "" : " (NOT drawn)", yieldTime, yieldShell);

    ChartControl stationControl;
    StationChart stationChart(stationControl);
    StationResult stations;
    const QString stationSql = ToSQLiteDialect(
        UnitStatement(state, context.selection, bench.clock.today(), bench.prompts, {state.gParameterField.value(0)}));
    const auto [stationShell, stationTime] =
        measure(noise, bench.databasePath(), stationSql, [&] { stations = PlotStations(context, stationChart); });
    const bool compared = stations.outcome == AnalysisOutcome::Drawn && stations.records == records;
    std::printf("stations: %lld records, %zu sources, ANOVA %s%s; %.3f s, sqlite3 shell %.3f s\n", stations.records,
                stations.rows.size(), qPrintable(AnovaText(stations.anova)), compared ? "" : " (NOT compared)",
                stationTime, stationShell);

    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    printResult(noise, "yield_p_chart", yieldTime / yieldShell, yieldDrawn);
    printResult(noise, "station_comparison", stationTime / stationShell, compared);
    const double peakMiB = peakResidentKiB() / 1024.0;
    std::printf("RESULT yield_stations_peak_memory value=%.0f target=%.0f %s\n", peakMiB, kPeakTargetMiB,
                peakMiB <= kPeakTargetMiB ? "pass" : "fail");
    return 0;
}
