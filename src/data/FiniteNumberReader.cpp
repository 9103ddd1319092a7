#include "FiniteNumberReader.h"

#include "RecordColumn.h"
#include "Recordset.h"

#include <QLocale>
#include <cmath>

namespace {

std::optional<double> finite(const QVariant& value)
{
    bool numeric = false;
    const double number = value.toDouble(&numeric);
    return numeric ? UsableNumber(number) : std::nullopt;
}

} // namespace

std::optional<double> UsableNumber(double number)
{
    // Sums of squares of such values over any number of records a load can hold stay finite.
    constexpr double kLargestValue = 1e100;
    return std::abs(number) <= kLargestValue ? std::optional(number) : std::nullopt;
}

std::optional<double> FiniteNumber(const RecordColumn& column, qint64 row)
{
    if (column.kind == RecordColumn::Kind::Number && !column.nulls[static_cast<size_t>(row)]) {
        return UsableNumber(column.numbers[static_cast<size_t>(row)]);
    }
    return finite(column.at(row));
}

QString NotANumberText(const QVariant& value, const QString& column, qint64 record, const QString& serial)
{
    bool numeric = false;
    const double number = value.toDouble(&numeric);
    const bool tooLarge = numeric && std::isfinite(number);
    const QString shown = value.isNull() ? QStringLiteral("Null")
                          : tooLarge     ? QString::number(number, 'g', QLocale::FloatingPointShortest).remove('+')
                                         : QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
    return QStringLiteral("Value %1 of %2 in record %3 (serial %4) is %5")
        .arg(shown, column, QString::number(record), serial.trimmed(),
             tooLarge ? QStringLiteral("too large") : QStringLiteral("not a number"));
}

FiniteNumberReader::FiniteNumberReader(const Recordset& records, const QString& alias, QString column)
    : m_records(records), m_field(records.fieldIndex(alias)), m_serialField(records.fieldIndex(QStringLiteral("SNX"))),
      m_column(std::move(column))
{
}

std::optional<double> FiniteNumberReader::read(qint64 record, QString& error) const
{
    const QVariant value = m_records.value(m_field);
    const std::optional<double> number = finite(value);
    if (!number) {
        error = NotANumberText(value, m_column, record, m_records.text(m_serialField));
    }
    return number;
}
