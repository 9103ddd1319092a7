#pragma once

#include "ChartControl.h"
#include "Clock.h"
#include "EventPump.h"
#include "FakePrompts.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>

// A configuration folder with two products on a copy of the small SQLite fixture, a settings
// file, a temporary folder and a lock of their own, and a main window built on them.
class AppFixture
{
public:
    AppFixture();
    ~AppFixture();

    QString configFolder() const { return m_root.filePath(QStringLiteral("config")); }
    QString configFile(const QString& name) const { return QDir(configFolder()).filePath(name); }
    QString tempFolder() const { return m_root.filePath(QStringLiteral("temp")); }
    QString lockPath() const { return m_root.filePath(QStringLiteral("tessaly.lock")); }

    void writeConfigFile(const QString& name, const QByteArray& content) const;
    void saveChoice(const QString& valueName, const QString& value);
    QString savedChoice(const QString& valueName) const;
    // The folder, so that no file dialog opens, and a range; a custom one with its saved ends
    // (short dates, e.g. "3/1/2024").
    void rememberFolder(const QString& range = QStringLiteral("Today"), const QString& customStart = {},
                        const QString& customEnd = {});

    // Replaces the product's results with a SQLite table of these records (serial, source,
    // ISO time, verdict, Vout) and a configuration with one product "Line" and its parameter Vout.
    struct Record
    {
        QString serial;
        QString source;
        QString time;
        QString verdict;
        double value;
    };
    void writeResults(const QList<Record>& records) const;
    // n passed records secondsApart from 1 March 2024 08:00: "SN1", "SN2", ... from ATE-01 and
    // ATE-02 in turn, values from the list in turn.
    static QList<Record> Series(int n, const QList<double>& values, int secondsApart = 60);
    // Another process, as a test station does, appends records to those of writeResults in one
    // transaction, or runs other statements on them.
    void appendResults(const QList<Record>& records) const;
    void runSql(const QString& statements) const;
    // Writes the records and starts the window with the chart kind and subgroup size chosen,
    // range "Last 30 Days" and every test ID; plot() then presses Start Plot.
    frmMain& prepare(const QList<Record>& records, bool individual, int size = 5);
    frmMain& plot(const QList<Record>& records, bool individual, int size = 5);

    // Builds the main window and runs its start-up.
    frmMain& start();

private:
    QTemporaryDir m_root; // first: the members below live in it

public:
    FakePrompts prompts;
    FixedClock clock{QDateTime(QDate(2024, 3, 10), QTime(9, 30))};
    EventPump pump{[] {}};
    SettingsStore settings;
    std::unique_ptr<frmMain> window;
    bool loaded = false;
    int beeps = 0; // the window's sounds of new signals

private:
    QString m_previousDirectory;
    QByteArray m_previousTemp;
};

// The y values of a series's points, in order.
QList<double> yValues(const ChartControl& chart, int series);
