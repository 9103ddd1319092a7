#pragma once

#include "Connection.h"
#include "ProductConfig.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// The program's shared state, owned by the main window and handed by reference to the code
// that reads it. Field names follow the program's global names.
struct SharedState
{
    // The one database connection of the program run; open after a product's database opened.
    std::unique_ptr<Connection> gConnection;
    QString gTableName;    // FROM target of every query
    QString gDatabaseType; // "ACCESS", "ODBC", "MSSQL" or "SQLITE"; "" when nothing is open

    // Column names (bracketed, ready for SQL) and the pass marker of the chosen product.
    QString gTestIDField = ColumnMapping().testIDField;
    QString gTestStartTimeField = ColumnMapping().testStartTimeField;
    QString gSerialNumberField = ColumnMapping().serialNumberField;
    QString gPassFailField = ColumnMapping().passFailField;
    QString gATEIDField = ColumnMapping().ateIDField;
    QString gPassIdentical = ColumnMapping().passIdentical;

    // Per parameter, indexed like the parameter list: column, limits (999 / -999: no limit),
    // unit; and the display names built on request.
    QStringList gParameterField;
    QList<double> gUSL;
    QList<double> gLSL;
    QStringList gUnit;
    QStringList gParameterName;

    int gXBarSize = 5;      // subgroup size, 2 to 25
    bool gStopPlot = false; // a running load is to end early
    QDate gCustomDateFrom;  // the custom range; a null date means none
    QDate gCustomDateTo;
    QString gINIFolder;   // folder accepted through the open-file dialog; "" otherwise
    QString gRawDataFile; // full path of this run's raw-data listing file
    QString gChartTitle;  // product + " " + parameter of the last control chart
};
