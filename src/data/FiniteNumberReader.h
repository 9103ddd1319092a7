#pragma once

#include <QString>
#include <QVariant>
#include <optional>

class Recordset;
struct RecordColumn;

// The values of a parameter for the statistics: a number, or text that reads as one. Anything
// else (other text, NaN, an infinity, Null) would turn every statistic into nonsense, so it is a
// run-time error of the load, described for the user.

// The number, when it is finite and small enough for the statistics to square (1e100 at most
// either way); else nullopt.
std::optional<double> UsableNumber(double number);

// The value of one row of a column; nullopt when it is not a usable number.
std::optional<double> FiniteNumber(const RecordColumn& column, qint64 row);

// Why a value cannot be used: "Value 'abc' of Vout in record 12 (serial SN001) is not a number",
// "Value 1e308 of Vout in record 3 (serial SN001) is too large".
// column: the parameter's column; record: counted from 1.
QString NotANumberText(const QVariant& value, const QString& column, qint64 record, const QString& serial);

// Reads one field of a recordset's current record that way.
class FiniteNumberReader
{
public:
    // alias: the field to read ("ValueX"); column: the parameter's column, named in the description.
    FiniteNumberReader(const Recordset& records, const QString& alias, QString column);

    // The value of the current record. Without a finite number: nullopt, and error says why
    // (NotANumberText).
    std::optional<double> read(qint64 record, QString& error) const;

private:
    const Recordset& m_records;
    int m_field;
    int m_serialField;
    QString m_column;
};
