#pragma once

#include "TextIds.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <limits>
#include <optional>
#include <string>
#include <vector>

struct RecordColumn;

// A control chart's records, kept compactly in the order they are read until they are used, in
// that order or in another: for each, its serial as read (UTF-8), value, source and time.
class ChartRowStore
{
public:
    static constexpr qint64 kUndated = std::numeric_limits<qint64>::min();
    static constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

    // column: the parameter's column, named in errors.
    explicit ChartRowStore(QString column);

    // Adds the rows of a batch's fields SNX, ATEX, DateX and ValueX.
    void add(const RecordColumn& serials, const RecordColumn& sources, const RecordColumn& dates,
             const RecordColumn& values, qint64 count);

    // Adds a copy of another store's record `row`; returns its row here.
    quint32 copyRow(const ChartRowStore& from, quint32 row);

    quint32 rows() const { return static_cast<quint32>(m_values.size()); }
    QByteArrayView serial(quint32 row) const
    {
        const quint32 start = row == 0 ? 0 : m_serialEnds[row - 1];
        return QByteArrayView(m_serials.data() + start, m_serialEnds[row] - start);
    }
    // Empty when the value is no number the statistics can use (UsableNumber).
    std::optional<double> value(quint32 row) const;
    // The value as the engine compares it, when the field holds numbers: infinities included.
    double number(quint32 row) const { return m_values[row]; }
    quint32 source(quint32 row) const { return m_sources[row]; }
    // The record's date-time as seconds from the start of the Julian day count (day * 86400 +
    // second of the day, as PointTimes counts); kUndated when it has none.
    qint64 time(quint32 row) const { return m_times[row]; }

    // A source's text, trimmed, and the same in UTF-8.
    const QString& sourceText(quint32 source) const { return m_sourceTexts[source]; }
    const QByteArray& sourceBytes(quint32 source) const { return m_sourceBytes[source]; }

    // Why a record's value cannot be used, as record number `record` of the chart
    // (NotANumberText).
    QString notANumberText(quint32 row, qint64 record) const;

private:
    quint32 sourceOf(QByteArrayView utf8);

    QString m_column;
    std::string m_serials;
    std::vector<quint32> m_serialEnds;
    std::vector<double> m_values;
    std::vector<quint32> m_sources;
    std::vector<qint64> m_times;
    struct NotANumber
    {
        QVariant shown;
        QString serial; // as listed
    };
    QHash<quint32, NotANumber> m_notNumbers;

    TextIds m_sourceIds;
    std::vector<QString> m_sourceTexts;
    std::vector<QByteArray> m_sourceBytes;
};
