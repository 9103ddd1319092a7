#pragma once

#include "BenchNoise.h"
#include "Clock.h"
#include "EventPump.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <vector>

// What the benchmarks that drive the main window share: a configuration whose product "Bench"
// reads kBenchRecords records (or as many as asked for) from a SQLite database, or from whatever
// database a benchmark configures, and the main window loaded on it.

constexpr int kBenchRecords = 1'000'000;

// Answers every question with its first button; messages are printed, nothing is recorded.
class SilentPrompts final : public Prompts
{
public:
    MsgAnswer message(const QString& text, MsgIcon, MsgButtons, const QString&) override;
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
    bool openInTextEditor(const QString&) override { return false; }
    int showModal(QDialog&) override { return 0; }
};

// One record of the product "Bench": serial number SN0000000 onwards, the sources ATE-01 to ATE-04
// in turn, PASS, test ID T1, and Vout drawn around 5 V from a fixed seed (the same in every run).
struct BenchRecord
{
    QString serialNumber;
    QString ateId;
    QString testStartTime; // yyyy-MM-dd HH:mm:ss
    double vout = 0;
};

// Hands the records to `take` in order, their start times spread evenly over the 116 days from
// 2024-01-01, whatever their number.
void forEachBenchRecord(qint64 records, const std::function<void(qint64 index, const BenchRecord&)>& take);

// ATE.INI, whose [Database] section holds databaseKeys ("Key=Value\r\n" lines), and PRODUCTS.INI for
// the product "Bench" on the table Results: Vout and parameterCount - 1 further parameters Param01,
// Param02, ... (no limits).
void writeBenchIniFiles(const QString& folder, const QByteArray& databaseKeys, int parameterCount = 1);

// writeBenchIniFiles' files on bench.sqlite, and bench.sqlite in folder: table Results with the
// records of forEachBenchRecord and the further parameters as REAL columns (values around their
// number).
void makeConfiguration(const QString& folder, int parameterCount = 1, qint64 records = kBenchRecords);

// The main window on a fresh configuration in a temporary folder, loaded and shown offscreen at
// 1280 x 800 with the range "Last 180 Days", which holds every record. Needs a QApplication.
struct BenchWindow
{
    // Writes the configuration (ATE.INI, PRODUCTS.INI and what they name) into the folder given.
    using ConfigurationWriter = std::function<void(const QString& folder)>;

    // On the SQLite configuration of makeConfiguration.
    explicit BenchWindow(int parameterCount = 1, qint64 records = kBenchRecords);
    explicit BenchWindow(const ConfigurationWriter& writeConfiguration);
    ~BenchWindow() { QFile::remove(window.state().gRawDataFile); } // the plots' listing, tens of MB

    QString databasePath() const { return dir.filePath(QStringLiteral("bench.sqlite")); }

    QTemporaryDir dir;
    SilentPrompts prompts;
    SettingsStore settings;
    FixedClock clock;
    const EventPump pump;
    frmMain window;
};

// Runs sql on file in the sqlite3 shell, its output thrown away: the reference the benchmarks
// compare with.
void runSqliteShell(const QString& file, const QString& sql);

// The middle value of runs (the upper middle of an even count).
double median(std::vector<double> runs);

// This process's resident memory in KiB: now (VmRSS) and at its peak so far (VmHWM).
qint64 residentKiB();
qint64 peakResidentKiB();
// Makes the peak the current resident memory, so that the next peak is one phase's own.
void resetPeakResident();
