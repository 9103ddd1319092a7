#include "UnitRecords.h"

#include "EventPump.h"
#include "FiniteNumberReader.h"
#include "QueryStream.h"
#include "SharedState.h"

#include <QHashFunctions>

namespace {

constexpr quint32 kFree = 0xFFFFFFFF;
constexpr size_t kFirstSlots = 1024;

UnitFields FieldsOf(const QStringList& names)
{
    const auto index = [&names](const QString& alias) {
        for (qsizetype k = 0; k < names.size(); ++k) {
            if (names[k].compare(alias, Qt::CaseInsensitive) == 0) {
                return static_cast<int>(k);
            }
        }
        return -1;
    };
    UnitFields fields{index(QStringLiteral("SNX")),
                      index(QStringLiteral("ATEX")),
                      index(QStringLiteral("DateX")),
                      index(QStringLiteral("PassX")),
                      {}};
    for (int k = 0; index(QStringLiteral("Value%1").arg(k)) >= 0; ++k) {
        fields.values.push_back(index(QStringLiteral("Value%1").arg(k)));
    }
    return fields;
}

// A field the statement lacks reads as Null.
const RecordColumn& ColumnOf(const RowBatch& batch, int field)
{
    static const RecordColumn missing;
    return field >= 0 ? batch.columns[static_cast<size_t>(field)] : missing;
}

} // namespace

SerialNumbers::SerialNumbers(Qt::CaseSensitivity sensitivity)
    : m_sensitivity(sensitivity), m_starts{0}, m_slots(kFirstSlots, kFree)
{
}

std::pair<quint32, bool> SerialNumbers::unitOf(QStringView serial)
{
    if (serial.isEmpty()) {
        return {m_units++, true};
    }
    QString folded;
    if (m_sensitivity == Qt::CaseInsensitive) {
        folded = serial.toString().toCaseFolded();
        serial = folded;
    }
    const size_t hash = qHash(serial, 0);
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const quint32 entry = m_slots[slot];
        if (entry == kFree) {
            m_slots[slot] = static_cast<quint32>(m_hashes.size());
            m_text.insert(m_text.end(), serial.utf16(), serial.utf16() + serial.size());
            m_starts.push_back(static_cast<quint32>(m_text.size()));
            m_hashes.push_back(hash);
            m_unitOf.push_back(m_units);
            if (2 * m_hashes.size() > m_slots.size()) {
                grow();
            }
            return {m_units++, true};
        }
        if (m_hashes[entry] == hash && sameText(entry, serial)) {
            return {m_unitOf[entry], false};
        }
    }
}

bool SerialNumbers::sameText(quint32 entry, QStringView text) const
{
    const quint32 start = m_starts[entry];
    return QStringView(m_text.data() + start, m_starts[entry + 1] - start) == text;
}

void SerialNumbers::grow()
{
    m_slots.assign(m_slots.size() * 2, kFree);
    const size_t mask = m_slots.size() - 1;
    for (quint32 entry = 0; entry < m_hashes.size(); ++entry) {
        size_t slot = m_hashes[entry] & mask;
        while (m_slots[slot] != kFree) {
            slot = (slot + 1) & mask;
        }
        m_slots[slot] = entry;
    }
}

SqlText UnitStatement(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts,
                      const QStringList& columns)
{
    Selection marking = selection;
    marking.passOnly = true; // its pass condition marks PassX; no record is left out by its verdict
    return SelectionSQL(state, marking, today, prompts, columns.join(QStringLiteral(":::")), QStringLiteral("Yield"),
                        QString());
}

QString UnitRecord::source() const
{
    return ColumnOf(batch, fields.source).text(row);
}

QString UnitRecord::serial() const
{
    return ColumnOf(batch, fields.serial).text(row);
}

const RecordColumn& UnitRecord::value(size_t k) const
{
    return ColumnOf(batch, k < fields.values.size() ? fields.values[k] : -1);
}

bool ReadUnitRecords(const AnalysisContext& context, const SqlText& sql,
                     const std::function<bool(const UnitRecord&)>& take, QString& error)
{
    QueryStream stream;
    if (!stream.start(*context.state.gConnection, sql)) {
        error = stream.lastError();
        return false;
    }
    SerialNumbers serials(context.state.gConnection->imported() ? Qt::CaseInsensitive : Qt::CaseSensitive);
    UnitFields fields;
    bool named = false;
    ThrottledPump pump(context.pump);
    while (!stream.atEnd()) {
        if (const std::unique_ptr<RowBatch> batch = stream.next(context.pump.throttleMs())) {
            if (!named) {
                fields = FieldsOf(stream.names());
                named = true;
            }
            const RecordColumn& serialColumn = ColumnOf(*batch, fields.serial);
            const RecordColumn& passColumn = ColumnOf(*batch, fields.passed);
            const RecordColumn& timeColumn = ColumnOf(*batch, fields.time);
            for (qint64 row = 0; row < batch->rows; ++row) {
                const auto [unit, first] = serials.unitOf(serialColumn.text(row));
                UnitRecord record{*batch, fields, row, unit, first, FiniteNumber(passColumn, row).value_or(0) == 1};
                record.dated = timeColumn.dateTimeParts(row, record.day, record.second);
                if (!take(record)) {
                    return false;
                }
            }
        }
        pump.maybePump();
    }
    error = stream.lastError();
    return error.isEmpty();
}
