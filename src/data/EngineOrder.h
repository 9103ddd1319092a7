#pragma once

#include "TextIds.h"
#include "TextOrder.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <string>
#include <vector>

class Connection;
struct RecordColumn;

// Who groups and orders the rows of a statement: the engine, running the statement as the query
// builder writes it, or the program, which reads the same rows without GROUP BY and ORDER BY and
// groups and orders them exactly as the engine would (EngineOrder) while it reads them.
enum class OrderedBy
{
    Default, // the program for the SQLite engines in its own process, the engine for servers
    Engine,
    Program
};

// Whether the program orders the rows of a statement on this connection. A SQLite engine reads
// rows much faster than it sorts them, on the program's own cores; a server sorts on cores of
// its own and sends its rows over a network.
bool OrdersInProgram(OrderedBy choice, const Connection& connection);

// The rows of a statement read without GROUP BY and ORDER BY, put in the order and gathered into
// the groups that the SQLite engines give the program's statements of the same rows:
//   Order::Time               ORDER BY time, source
//   Order::Time, grouped      GROUP BY serial, source, time ORDER BY time, source
//   Order::Serial, grouped    GROUP BY serial, source, time
// Keys compare as the engine compares them: times as the text they are stored as, sources and
// serials by their columns' collations (Null first, then numbers, then text). Rows equal in
// every key keep the order they were read in, as the engine's sorts keep them, so a grouped
// statement's groups come in that order too (by serial, for the groups of one time and source).
//
// The order can be exact only for keys of one kind per field: times stored as date-time text of
// one form (RecordColumn::DateForm; several forms sort as text, not as date-times), serials and
// sources as text (compared BINARY or NOCASE) or as numbers. For anything else exact() turns
// false, and the caller lets the engine group and order the rows.
class EngineOrder
{
public:
    enum class Order
    {
        Time,  // by time, then source
        Serial // by serial, source and time: grouped only
    };

    EngineOrder(Order order, bool grouped, TextOrder serialOrder, TextOrder sourceOrder);

    // Takes the keys of a batch of rows: the fields SNX, ATEX and DateX. False from the first key
    // that cannot be compared exactly.
    bool add(const RecordColumn& serials, const RecordColumn& sources, const RecordColumn& times, qint64 rows);
    bool exact() const { return m_exact; }
    qint64 rows() const { return static_cast<qint64>(m_times.size()); }

    // The rows taken, by their number in reading order (from 0), in the engine's order; with
    // grouping, groupEnds holds where each group ends in rows, and a group's rows are in reading
    // order. Called once, after the last batch, when exact; the keys are let go as soon as they
    // are used (serialText still reads the serials of an Order::Serial order).
    struct Sequence
    {
        std::vector<quint32> rows;
        std::vector<quint32> groupEnds;
    };
    Sequence sequence();

    // The serial of a row, as read; kept only when grouping.
    QString serialText(quint32 row) const;

private:
    // A serial or source as the engine compares it.
    struct Key
    {
        enum Class
        {
            Null,
            Number,
            Text
        };
        Class kind = Null;
        double number = 0;
        QByteArrayView text; // UTF-8
    };
    int compare(const Key& a, const Key& b, TextOrder order) const;
    Key serial(quint32 row) const;
    bool addSerials(const RecordColumn& serials, qint64 rows);
    bool addSources(const RecordColumn& sources, qint64 rows);
    bool addTimes(const RecordColumn& times, qint64 rows);
    std::vector<quint32> sourceRanks() const;
    std::vector<quint32> serialRanks() const;
    // Frees the keys sequence() no longer needs, the serials too when `serials`.
    void releaseKeys(bool serials);
    // Orders rows of equal time and source by serial and ends a group where the serial changes.
    void groupTies(std::vector<quint32>& rows, size_t first, size_t last, std::vector<quint32>& ends) const;

    Order m_order;
    bool m_grouped;
    TextOrder m_serialOrder;
    TextOrder m_sourceOrder;
    bool m_exact;

    std::vector<qint64> m_times; // seconds since the start of the Julian day count
    quint8 m_dateForms = 0;

    // Sources by kind: text (TextIds), numbers and Null; m_sources numbers them all.
    std::vector<quint32> m_sourceIds; // per row, into m_sources
    std::vector<Key> m_sources;       // distinct values; a text's number is its TextIds number
    TextIds m_sourceTexts;
    std::vector<quint32> m_sourceOfTextId;
    QHash<double, quint32> m_sourceOfNumber;
    qint64 m_nullSource = -1;

    // Serials, kept only when grouping: all text (UTF-8, one after another) or all numbers.
    Key::Class m_serialKind = Key::Null;
    std::string m_serialUtf8;
    std::vector<quint32> m_serialEnds;
    std::vector<double> m_serialNumbers;
};

// Of a group's rows in reading order, the one whose value MAX() returns and whose other fields
// the engine shows with it: the first of the largest (the engine takes a row's fields only when
// its value is larger than every one before).
template <typename Less> quint32 MaxRow(const quint32* first, const quint32* last, Less less)
{
    quint32 best = *first;
    for (const quint32* row = first + 1; row != last; ++row) {
        if (less(best, *row)) {
            best = *row;
        }
    }
    return best;
}
