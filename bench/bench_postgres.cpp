// Start Plot to drawn chart on 1,000,000 records read from a PostgreSQL server through an ODBC data
// source (psqlODBC), X-bar (n = 5) and individual, the last record of each unit, offscreen,
// against psql running the same statement to /dev/null in the same run; what share of the whole
// came after the server's last row was in; and the peak resident memory from the window's loading
// on.
//
//   bench_postgres   ratio <= 1.2, after the last row < 15 % (the peak is printed, without a target)
//
// The server is a throw-away cluster of our own (PostgresServer), stopped when the benchmark ends.
#include "BenchSupport.h"
#include "ControlChartLoader.h"
#include "FreedMemory.h"
#include "PostgresServer.h"
#include "Selection.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QByteArray kDataSource = "TessalyBench";

// The bench records in the layout of the fixtures' results table, with a header line. Iin, Ripple
// and Eff vary a little from record to record around plausible values.
QByteArray benchResultsCsv()
{
    QByteArray csv = "SerialNumber,ATEID,TestStartTime,PassFail,TestID,Vout,Iin,Ripple,Eff\n";
    csv.reserve(qsizetype(90) * kBenchRecords);
    forEachBenchRecord(kBenchRecords, [&csv](qint64 index, const BenchRecord& record) {
        csv += record.serialNumber.toLatin1() + ',' + record.ateId.toLatin1() + ',' + record.testStartTime.toLatin1() +
               ",PASS,T1," + QByteArray::number(record.vout, 'g', 17) + ',' +
               QByteArray::number(0.5 + record.vout / 20 + (index % 101) / 10000.0) + ',' +
               QByteArray::number(0.01 + (index % 37) / 1000.0) + ',' +
               QByteArray::number(0.85 + (index % 53) / 1000.0) + '\n';
    });
    return csv;
}

// Runs sql with psql on the server's database, its output thrown away.
void runPsql(const PostgresServer& server, const QString& sql)
{
    QProcess psql;
    psql.start(QDir(server.programFolder()).filePath(QStringLiteral("psql")),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), server.socketFolder(),
                QStringLiteral("-p"), QString::number(server.port()), QStringLiteral("-U"), QStringLiteral("postgres"),
                QStringLiteral("-d"), QStringLiteral("tessaly"), QStringLiteral("-c"), sql, QStringLiteral("-o"),
                QProcess::nullDevice()});
    psql.waitForFinished(-1);
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0) {
        std::fprintf(stderr, "psql failed: %s\n", psql.readAllStandardError().constData());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PostgresServer server;
    if (!server.isReady() || !server.loadResults(QStringLiteral("Results"), benchResultsCsv())) {
        std::fprintf(stderr, "The PostgreSQL server cannot be used: %s\n", qPrintable(server.error()));
        return 1;
    }
    noise.countAsOwn(server.serverProcess()); // the server's work is the benchmark's
    resetPeakResident();                      // the records' CSV is gone
    BenchWindow bench([&server](const QString& folder) {
        RegisterOdbcDataSources(folder, server.odbcDriverEntry(), server.odbcDataSourceEntry(kDataSource));
        writeBenchIniFiles(folder, "DataSourceName=" + kDataSource + "\r\nUserName=postgres\r\n");
    });
    frmMain& window = bench.window;
    Ui::frmMain& ui = window.form();
    Connection* connection = window.state().gConnection.get();
    if (!connection || connection->state() != 1) {
        std::fprintf(stderr, "The main window did not open the data source %s\n", kDataSource.constData());
        return 1;
    }

    for (const bool individual : {false, true}) {
        (individual ? ui.optIndividualPlot : ui.optXBarPlot)->setChecked(true);
        QString sql;
        if (!connection->prepare(SelectionSQL(window.state(), window.currentSelection(), bench.clock.today(),
                                              bench.prompts, QStringLiteral("Vout"), QString(),
                                              QStringLiteral("[TestStartTime], [ATEID]")),
                                 sql)) {
            std::fprintf(stderr, "The statement cannot be prepared: %s\n", qPrintable(connection->lastError()));
            return 1;
        }
        // Medians of alternating runs, so that what the machine does weighs on both sides alike.
        const char* name = individual ? "start_plot_postgres_individual" : "start_plot_postgres_xbar";
        std::printf("%s: %s\n", name, qPrintable(sql));
        std::vector<double> psqlRuns;
        std::vector<double> plotRuns;
        std::vector<double> afterLastRow;
        for (int run = 0; run < 3; ++run) {
            psqlRuns.push_back(noise.measure("psql", [&] { runPsql(server, sql); }));
            plotRuns.push_back(noise.measure("Start Plot to drawn chart", [&] {
                ui.cmdPlotChart->click();
                window.repaint(); // the drawn chart
            }));
            afterLastRow.push_back(1 - window.lastPlot().msToLastRow / 1000.0 / plotRuns.back());
        }
        const qint64 points = ui.ocxXBarChart->pointCount(0);
        if (points == 0) {
            std::fprintf(stderr, "Start Plot drew no points\n");
            return 1;
        }
        const double reference = median(psqlRuns);
        const double plot = median(plotRuns);
        const double ratio = plot / reference;
        const double after = median(afterLastRow);
        std::printf("%s: %lld points, Start Plot to drawn chart %.3f s, psql %.3f s, ratio %.2f; after the server's "
                    "last row %.1f %% of the whole\n",
                    name, points, plot, reference, ratio, 100 * after);
        std::printf("RESULT %s value=%.3f target=1.2 %s\n", name, ratio, noise.verdict(ratio <= 1.2));
        std::printf("RESULT %s_after_last_row value=%.3f target=0.15 %s\n", name, after, noise.verdict(after < 0.15));
    }
    std::printf("machine: load average %.2f at the start, other processes up to %.2f cores in a run\n",
                noise.startLoad(), noise.mostOtherCores());
    std::printf("start_plot_postgres_peak_memory: %.0f MiB (informational)\n", peakResidentKiB() / 1024.0);
    return 0;
}
