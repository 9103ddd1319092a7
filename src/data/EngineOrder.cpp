#include "EngineOrder.h"

#include "Connection.h"
#include "RecordColumn.h"

#include <QVariant>
#include <algorithm>
#include <bit>
#include <numeric>
#include <tuple>

namespace {

template <typename T> int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A row's place in the engine's sort: its keys, then its number in reading order, which keeps
// rows of equal keys in reading order (the engine's sorts are stable).
struct TimePlace
{
    qint64 time;
    quint32 source;
    quint32 row;

    auto keys() const { return std::tie(time, source); }
    auto place() const { return std::tie(time, source, row); }
};

struct SerialPlace
{
    quint32 serial;
    quint32 source;
    qint64 time;
    quint32 row;

    auto keys() const { return std::tie(serial, source, time); }
    auto place() const { return std::tie(serial, source, time, row); }
};

// The places sorted by their keys, rows of equal keys in reading order.
template <typename Place> void sortPlaces(std::vector<Place>& places)
{
    const auto less = [](const Place& a, const Place& b) { return a.place() < b.place(); };
    // Rows are often stored in the order they are sorted by.
    if (!std::is_sorted(places.begin(), places.end(), less)) {
        std::sort(places.begin(), places.end(), less);
    }
}

} // namespace

bool OrdersInProgram(OrderedBy choice, const Connection& connection)
{
    return choice == OrderedBy::Default ? connection.engine() != Connection::Engine::Odbc
                                        : choice == OrderedBy::Program;
}

EngineOrder::EngineOrder(Order order, bool grouped, TextOrder serialOrder, TextOrder sourceOrder)
    : m_order(order), m_grouped(grouped || order == Order::Serial), m_serialOrder(serialOrder),
      m_sourceOrder(sourceOrder), m_exact(sourceOrder != TextOrder::Other)
{
}

bool EngineOrder::add(const RecordColumn& serials, const RecordColumn& sources, const RecordColumn& times, qint64 rows)
{
    m_exact =
        m_exact && addTimes(times, rows) && addSources(sources, rows) && (!m_grouped || addSerials(serials, rows));
    return m_exact;
}

bool EngineOrder::addTimes(const RecordColumn& times, qint64 rows)
{
    m_dateForms |= times.dateForms;
    if (times.kind != RecordColumn::Kind::DateTime || std::popcount(m_dateForms) > 1 ||
        std::find(times.nulls.cbegin(), times.nulls.cend(), true) != times.nulls.cend()) {
        return false;
    }
    for (qint64 row = 0; row < rows; ++row) {
        m_times.push_back(times.days[size_t(row)] * 86400 + times.seconds[size_t(row)]);
    }
    return true;
}

bool EngineOrder::addSources(const RecordColumn& sources, qint64 rows)
{
    using Kind = RecordColumn::Kind;
    if (sources.kind == Kind::Mixed || sources.kind == Kind::DateTime) {
        return false;
    }
    const auto newSource = [this](Key key) {
        m_sources.push_back(key);
        return quint32(m_sources.size() - 1);
    };
    for (qint64 row = 0; row < rows; ++row) {
        const auto r = size_t(row);
        if (sources.nulls[r]) {
            if (m_nullSource < 0) {
                m_nullSource = newSource({});
            }
            m_sourceIds.push_back(quint32(m_nullSource));
        } else if (sources.kind == Kind::Number) {
            const double number = sources.numbers[r];
            auto found = m_sourceOfNumber.constFind(number);
            if (found == m_sourceOfNumber.cend()) {
                found = m_sourceOfNumber.insert(number, newSource({Key::Number, number, {}}));
            }
            m_sourceIds.push_back(*found);
        } else {
            const quint32 text = m_sourceTexts.idOf(sources.utf8Text(row));
            if (text == m_sourceOfTextId.size()) {
                m_sourceOfTextId.push_back(newSource({Key::Text, double(text), {}}));
            }
            m_sourceIds.push_back(m_sourceOfTextId[text]);
        }
    }
    return true;
}

bool EngineOrder::addSerials(const RecordColumn& serials, qint64 rows)
{
    using Kind = RecordColumn::Kind;
    const Key::Class kind = serials.kind == Kind::Text     ? Key::Text
                            : serials.kind == Kind::Number ? Key::Number
                                                           : Key::Null;
    if (rows == 0) {
        return true;
    }
    if (kind == Key::Null || (m_serialKind != Key::Null && kind != m_serialKind) ||
        (kind == Key::Text && m_serialOrder == TextOrder::Other) ||
        std::find(serials.nulls.cbegin(), serials.nulls.cend(), true) != serials.nulls.cend()) {
        return false;
    }
    m_serialKind = kind;
    for (qint64 row = 0; row < rows; ++row) {
        if (kind == Key::Number) {
            m_serialNumbers.push_back(serials.numbers[size_t(row)]);
        } else {
            const QByteArrayView text = serials.utf8Text(row);
            m_serialUtf8.append(text.data(), size_t(text.size()));
            m_serialEnds.push_back(quint32(m_serialUtf8.size()));
        }
    }
    return true;
}

int EngineOrder::compare(const Key& a, const Key& b, TextOrder order) const
{
    if (a.kind != b.kind) {
        return threeWay(a.kind, b.kind);
    }
    switch (a.kind) {
    case Key::Null:
        return 0;
    case Key::Number:
        return threeWay(a.number, b.number);
    case Key::Text:
        break;
    }
    return CompareTexts(a.text, b.text, order);
}

EngineOrder::Key EngineOrder::serial(quint32 row) const
{
    if (m_serialKind == Key::Number) {
        return {Key::Number, m_serialNumbers[row], {}};
    }
    const quint32 start = row == 0 ? 0 : m_serialEnds[row - 1];
    return {Key::Text, 0, QByteArrayView(m_serialUtf8.data() + start, qsizetype(m_serialEnds[row] - start))};
}

QString EngineOrder::serialText(quint32 row) const
{
    const Key key = serial(row);
    return key.kind == Key::Number ? QVariant(key.number).toString() : QString::fromUtf8(key.text);
}

std::vector<quint32> EngineOrder::sourceRanks() const
{
    std::vector<Key> sources = m_sources;
    for (Key& source : sources) {
        if (source.kind == Key::Text) {
            source.text = m_sourceTexts.text(quint32(source.number));
        }
    }
    std::vector<quint32> byValue(sources.size());
    std::iota(byValue.begin(), byValue.end(), 0);
    std::stable_sort(byValue.begin(), byValue.end(),
                     [&](quint32 a, quint32 b) { return compare(sources[a], sources[b], m_sourceOrder) < 0; });
    // Sources that compare equal share a rank.
    std::vector<quint32> ranks(sources.size());
    quint32 rank = 0;
    for (size_t i = 0; i < byValue.size(); ++i) {
        if (i > 0 && compare(sources[byValue[i - 1]], sources[byValue[i]], m_sourceOrder) != 0) {
            ++rank;
        }
        ranks[byValue[i]] = rank;
    }
    return ranks;
}

std::vector<quint32> EngineOrder::serialRanks() const
{
    const auto count = quint32(m_times.size());
    std::vector<quint32> bySerial(count);
    std::iota(bySerial.begin(), bySerial.end(), 0);
    const auto less = [this](quint32 a, quint32 b) { return compare(serial(a), serial(b), m_serialOrder) < 0; };
    // Serials are often written in the order they are read.
    if (!std::is_sorted(bySerial.begin(), bySerial.end(), less)) {
        std::stable_sort(bySerial.begin(), bySerial.end(), less);
    }
    std::vector<quint32> ranks(count);
    quint32 rank = 0;
    for (quint32 i = 0; i < count; ++i) {
        if (i > 0 && less(bySerial[i - 1], bySerial[i])) {
            ++rank;
        }
        ranks[bySerial[i]] = rank;
    }
    return ranks;
}

void EngineOrder::groupTies(std::vector<quint32>& rows, size_t first, size_t last, std::vector<quint32>& ends) const
{
    const auto bySerial = [this](quint32 a, quint32 b) { return compare(serial(a), serial(b), m_serialOrder); };
    std::stable_sort(rows.begin() + qsizetype(first), rows.begin() + qsizetype(last),
                     [&](quint32 a, quint32 b) { return bySerial(a, b) < 0; });
    for (size_t i = first + 1; i < last; ++i) {
        if (bySerial(rows[i - 1], rows[i]) != 0) {
            ends.push_back(quint32(i));
        }
    }
    ends.push_back(quint32(last));
}

EngineOrder::Sequence EngineOrder::sequence()
{
    const std::vector<quint32> sourceRank = sourceRanks();
    const auto count = quint32(m_times.size());
    Sequence sequence;
    sequence.rows.reserve(count);
    // The rows in order, and where the keys of consecutive places differ: [first, last) of each
    // run of equal keys longer than one row.
    std::vector<std::pair<quint32, quint32>> runs;
    const auto collect = [&](const auto& places) {
        for (quint32 i = 0; i < count; ++i) {
            if (m_grouped && i > 0 && places[i - 1].keys() == places[i].keys()) {
                if (runs.empty() || runs.back().second != i) {
                    runs.emplace_back(i - 1, i);
                }
                runs.back().second = i + 1;
            }
            sequence.rows.push_back(places[i].row);
        }
    };
    if (m_order == Order::Serial) {
        const std::vector<quint32> serialRank = serialRanks();
        std::vector<SerialPlace> places(count);
        for (quint32 row = 0; row < count; ++row) {
            places[row] = {serialRank[row], sourceRank[m_sourceIds[row]], m_times[row], row};
        }
        releaseKeys(false); // serialText reads the serials
        sortPlaces(places);
        collect(places);
    } else {
        std::vector<TimePlace> places(count);
        for (quint32 row = 0; row < count; ++row) {
            places[row] = {m_times[row], sourceRank[m_sourceIds[row]], row};
        }
        releaseKeys(false); // the serials order the ties below
        sortPlaces(places);
        collect(places);
    }
    if (!m_grouped) {
        return sequence;
    }
    // A group ends after each row outside the runs. Rows of one time and source are grouped by
    // serial, the groups in the serials' order; rows of one serial, source and time are a group.
    sequence.groupEnds.reserve(count);
    quint32 next = 0;
    for (const auto& [first, last] : runs) {
        for (quint32 end = next + 1; end <= first; ++end) {
            sequence.groupEnds.push_back(end);
        }
        if (m_order == Order::Time) {
            groupTies(sequence.rows, first, last, sequence.groupEnds);
        } else {
            sequence.groupEnds.push_back(last);
        }
        next = last;
    }
    for (quint32 end = next + 1; end <= count; ++end) {
        sequence.groupEnds.push_back(end);
    }
    if (m_order == Order::Time) {
        releaseKeys(true);
    }
    return sequence;
}

void EngineOrder::releaseKeys(bool serials)
{
    std::vector<qint64>().swap(m_times);
    std::vector<quint32>().swap(m_sourceIds);
    if (serials) {
        std::string().swap(m_serialUtf8);
        std::vector<quint32>().swap(m_serialEnds);
        std::vector<double>().swap(m_serialNumbers);
    }
}
