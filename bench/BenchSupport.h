#pragma once

#include "Clock.h"
#include "EventPump.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <vector>

// What the benchmarks that drive the main window share: a configuration whose product "Bench"
// reads kBenchRecords records (or as many as asked for) from a SQLite database, and the main
// window loaded on it.

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

// ATE.INI, PRODUCTS.INI and bench.sqlite (table Results) in folder. The product's parameters are
// Vout and parameterCount - 1 further REAL columns Param01, Param02, ... (values around their
// number, no limits), all listed in PRODUCTS.INI. The records' start times are spread over the
// 116 days from 2024-01-01, whatever their number.
void makeConfiguration(const QString& folder, int parameterCount = 1, qint64 records = kBenchRecords);

// The main window on a fresh configuration in a temporary folder, loaded and shown offscreen at
// 1280 x 800 with the range "Last 180 Days", which holds every record. Needs a QApplication.
struct BenchWindow
{
    explicit BenchWindow(int parameterCount = 1, qint64 records = kBenchRecords);
    ~BenchWindow() { QFile::remove(window.state().gRawDataFile); } // the plots' listing, tens of MB

    QString databasePath() const { return dir.filePath(QStringLiteral("bench.sqlite")); }

    QTemporaryDir dir;
    SilentPrompts prompts;
    SettingsStore settings;
    FixedClock clock;
    const EventPump pump;
    frmMain window;
};

// Seconds the sqlite3 shell takes to run sql on file, its output thrown away: the reference the
// benchmarks compare with.
double sqliteShellSeconds(const QString& file, const QString& sql);

// The middle value of runs (the upper middle of an even count).
double median(std::vector<double> runs);

// This process's resident memory in KiB: now (VmRSS) and at its peak so far (VmHWM).
qint64 residentKiB();
qint64 peakResidentKiB();
// Makes the peak the current resident memory, so that the next peak is one phase's own.
void resetPeakResident();
