#include "ChartRowStore.h"

#include "FiniteNumberReader.h"
#include "RecordColumn.h"

#include <cmath>

namespace {

// The UTF-8 of a text field's row, or of what another kind of field holds.
QByteArray utf8Of(const RecordColumn& column, qint64 row)
{
    if (column.kind == RecordColumn::Kind::Text) {
        const QByteArrayView text = column.utf8Text(row);
        return QByteArray::fromRawData(text.data(), text.size());
    }
    return column.text(row).toUtf8();
}

} // namespace

ChartRowStore::ChartRowStore(QString column) : m_column(std::move(column)) {}

void ChartRowStore::add(const RecordColumn& serials, const RecordColumn& sources, const RecordColumn& dates,
                        const RecordColumn& values, qint64 count)
{
    for (qint64 row = 0; row < count; ++row) {
        const std::optional<double> value = FiniteNumber(values, row);
        if (!value) {
            m_notNumbers.insert(rows(), {values.at(row), serials.text(row).trimmed().toUpper()});
        }
        const QByteArray serial = utf8Of(serials, row);
        m_serials.append(serial.constData(), static_cast<size_t>(serial.size()));
        m_serialEnds.push_back(static_cast<quint32>(m_serials.size()));
        const bool number = values.kind == RecordColumn::Kind::Number && !values.nulls[static_cast<size_t>(row)];
        m_values.push_back(number ? values.numbers[static_cast<size_t>(row)] : value.value_or(std::nan("")));
        m_sources.push_back(sourceOf(utf8Of(sources, row)));
        qint64 day = 0;
        int second = 0;
        m_times.push_back(dates.dateTimeParts(row, day, second) ? day * kSecondsPerDay + second : kUndated);
    }
}

quint32 ChartRowStore::copyRow(const ChartRowStore& from, quint32 row)
{
    const quint32 copy = rows();
    const auto found = from.m_notNumbers.constFind(row);
    if (found != from.m_notNumbers.cend()) {
        m_notNumbers.insert(copy, *found);
    }
    const QByteArrayView serial = from.serial(row);
    m_serials.append(serial.data(), static_cast<size_t>(serial.size()));
    m_serialEnds.push_back(static_cast<quint32>(m_serials.size()));
    m_values.push_back(from.m_values[row]);
    m_sources.push_back(sourceOf(from.sourceBytes(from.source(row))));
    m_times.push_back(from.m_times[row]);
    return copy;
}

std::optional<double> ChartRowStore::value(quint32 row) const
{
    return UsableNumber(m_values[row]);
}

QString ChartRowStore::notANumberText(quint32 row, qint64 record) const
{
    const NotANumber& what = m_notNumbers[row];
    return NotANumberText(what.shown, m_column, record, what.serial);
}

quint32 ChartRowStore::sourceOf(QByteArrayView utf8)
{
    const quint32 id = m_sourceIds.idOf(utf8);
    if (id == m_sourceTexts.size()) {
        m_sourceTexts.push_back(QString::fromUtf8(utf8).trimmed());
        m_sourceBytes.push_back(m_sourceTexts.back().toUtf8());
    }
    return id;
}
