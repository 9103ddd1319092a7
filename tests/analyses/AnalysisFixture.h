#pragma once

#include "AnalysisContext.h"
#include "Clock.h"
#include "ControlChartLoader.h"
#include "EventPump.h"
#include "FakePrompts.h"
#include "ResultsTable.h"
#include "SharedState.h"

#include <QTemporaryDir>
#include <cmath>

class ChartControl;

// Whether actual lies within relative * |expected| of expected.
inline bool Near(double actual, double expected, double relative)
{
    return std::abs(actual - expected) <= relative * std::abs(expected);
}

// A product opened as the main window opens it, and an analysis context on it: a fake user, a
// fixed clock (10 March 2024 09:30) and a pump that does nothing. The configuration folder is
// the current directory while the fixture lives. By default the product
// "Small" reads a copy of the small SQLite fixture with the parameters Vout (4.75..5.25 V),
// Iin (..2.5 A), Ripple (0..) and Eff (80..100 %); the selection is parameter 0 over the custom
// range 1-7 March 2024, every source and test ID, passed units, every record.
class AnalysisFixture
{
public:
    AnalysisFixture();

    enum class ResultsFile
    {
        SQLite,
        CsvLog
    };

    // Replaces the product's results with these records of the given parameter columns, and its
    // specification with one line per column: "N=<column>,<lsl>,<usl>,0,<unit>,,<column>", each
    // taken from specLines (a missing or empty entry gives no limits and no unit); productKeys are
    // lines added to the product's section. The records are a table of a SQLite file or a CSV log.
    void useResults(const QStringList& columns, const QList<ResultRecord>& records, const QStringList& specLines = {},
                    const QByteArray& productKeys = {}, ResultsFile file = ResultsFile::SQLite);

    // Reads a copy of another results fixture ("results_small_v2000.mdb", "results_small.xls") instead,
    // the product on its table (PRODUCTS.INI's TableName).
    void useFixture(const QString& fixture, const QString& table = "Results");

    AnalysisContext context();

    // The control chart request of the selection, the parameter shown as parameterText.
    PlotRequest controlChartRequest(const QString& parameterText);
    // Draws the request's individual chart, or its X-bar chart, on control as the loader draws it, its
    // listing in listing.spc.
    PlotResult plotControlChart(ChartControl& control, const PlotRequest& request, bool individual = true);

    QTemporaryDir dir;
    struct CurrentDirectory
    {
        QString previous;
        explicit CurrentDirectory(const QString& path);
        ~CurrentDirectory();
    } current{dir.path()};
    FakePrompts prompts;
    FixedClock clock{QDateTime(QDate(2024, 3, 10), QTime(9, 30))};
    EventPump pump{[] {}};
    SharedState state;
    Selection selection;
    bool opened = false; // the product's definition read and its database opened

private:
    void open();
    // Points ATE.INI's DatabaseName at this file of the fixture's folder.
    void useDatabase(const QString& name);
};
