#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// One record of a test results table: serial, source, ISO time, verdict, test ID "T1", and one
// value per parameter column (a null QVariant is NULL).
struct ResultRecord
{
    QString serial;
    QString source;
    QString time;
    QString verdict;
    QList<QVariant> values;
};

// Writes a SQLite file holding the table Results (SerialNumber, ATEID, TestStartTime, PassFail,
// TestID, then the parameter columns as REAL) with these records.
void WriteResultsTable(const QString& path, const QStringList& parameterColumns, const QList<ResultRecord>& records);

// Writes the same records as a CSV log (a header row, comma-separated, an empty field for Null).
void WriteResultsCsv(const QString& path, const QStringList& parameterColumns, const QList<ResultRecord>& records);
