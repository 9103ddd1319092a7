#pragma once

#include <QString>
#include <optional>

class Recordset;

// Reads the values of one field of a recordset for the statistics: a number, or text that reads as
// one. Anything else (other text, NaN, an infinity, Null) would turn every statistic into nonsense,
// so it is a run-time error of the load, described for the user.
class FiniteNumberReader
{
public:
    // alias: the field to read ("ValueX"); column: the parameter's column, named in the description.
    FiniteNumberReader(const Recordset& records, const QString& alias, QString column);

    // The value of the current record. Without a finite number: nullopt, and error says which
    // value, column, record (counted from 1) and serial number it is:
    // "Value 'abc' of Vout in record 12 (serial SN001) is not a number".
    std::optional<double> read(qint64 record, QString& error) const;

private:
    const Recordset& m_records;
    int m_field;
    int m_serialField;
    QString m_column;
};
