#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// .xlsx workbooks written as spreadsheet programs write them (a ZIP package through libzip, shared
// strings, styles with a date format), for tests and benchmarks.
//
// A row is a list of cell specifications, "kind:value":
//   ""                 no cell at all
//   "s:text"           a shared string            "is:text"  an inline string
//   "n:5.07"           a number, style General    "p:0.25"   a number shown as a percentage
//   "d:45352.5"        a number shown with the date format yyyy-mm-dd hh:mm:ss
//   "d14:45352"        a number with the built-in date format 14 (m/d/yyyy)
//   "b:1"              a boolean                  "e:#N/A"   an error value
//   "fn:3.5"           a formula's cached number  "fs:text"  a formula's cached string
//   "iso:2024-03-01T10:20:30"  an ISO date cell (t="d")
//   "x:<c ...>...</c>" the cell's XML as written
struct XlsxSheet
{
    QString name;
    QList<QStringList> rows;
};

struct XlsxOptions
{
    bool date1904 = false;
    bool cellReferences = true; // r="B7" on every row and cell, as Excel writes them
    bool lineBreaks = false;    // a line break after every row: row n (from 1) on line n + 1
};

// False when the file cannot be written.
bool WriteXlsx(const QString& path, const QList<XlsxSheet>& sheets, const XlsxOptions& options = {});

// Days since 1899-12-30 of an ISO 'YYYY-MM-DD HH:MM:SS' date-time: how Excel keeps it.
double ExcelSerial(const QString& isoDateTime);
