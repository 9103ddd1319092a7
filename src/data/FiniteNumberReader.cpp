#include "FiniteNumberReader.h"

#include "Recordset.h"

#include <cmath>

FiniteNumberReader::FiniteNumberReader(const Recordset& records, const QString& alias, QString column)
    : m_records(records), m_field(records.fieldIndex(alias)), m_serialField(records.fieldIndex(QStringLiteral("SNX"))),
      m_column(std::move(column))
{
}

std::optional<double> FiniteNumberReader::read(qint64 record, QString& error) const
{
    const QVariant value = m_records.value(m_field);
    bool numeric = false;
    const double number = value.toDouble(&numeric);
    if (numeric && std::isfinite(number)) {
        return number;
    }
    const QString shown =
        value.isNull() ? QStringLiteral("Null") : QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
    error = QStringLiteral("Value %1 of %2 in record %3 (serial %4) is not a number")
                .arg(shown, m_column, QString::number(record), m_records.text(m_serialField).trimmed());
    return std::nullopt;
}
