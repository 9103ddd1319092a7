#include "ListingLines.h"

#include "ChartRowStore.h"
#include "Formats.h"
#include "RawDataListing.h"
#include "RecordColumn.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {

// Distinct value texts kept before a cache starts again.
constexpr qsizetype kMostValueTexts = 16384;
constexpr qsizetype kSerialWidth = 15;

// A serial of printable ASCII: listed without a QString of its own.
bool plainAscii(QByteArrayView text)
{
    return std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

} // namespace

ListingLines::ListingLines(bool numbered, RawDataListing& listing) : m_numbered(numbered), m_listing(listing) {}

void ListingLines::write(const ChartRowStore& store, quint32 row, qint64 record)
{
    appendSerial(store.serial(row));
    appendValue(store.number(row));
    m_listing.append(store.sourceBytes(store.source(row)));
    appendDate(store.time(row));
    // "\t<record>\r\n" or "\r\n"
    char end[32] = "\t";
    char* last = m_numbered ? std::to_chars(end + 1, std::end(end) - 2, record).ptr : end;
    *last++ = '\r';
    *last++ = '\n';
    m_listing.append(QByteArrayView(end, last - end));
}

void ListingLines::appendSerial(QByteArrayView serial)
{
    // The serial trimmed and in upper case, padded with blanks to 15 characters; a longer one
    // is written whole, so that serials that differ only at their end stay apart.
    static constexpr char kBlanks[] = "               ";
    qsizetype length = 0;
    if (plainAscii(serial)) {
        const QByteArrayView text = serial.trimmed();
        char upper[64];
        for (qsizetype done = 0; done < text.size(); done += qsizetype(sizeof upper)) {
            const qsizetype part = std::min<qsizetype>(text.size() - done, qsizetype(sizeof upper));
            std::transform(text.cbegin() + done, text.cbegin() + done + part, upper,
                           [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
            m_listing.append(QByteArrayView(upper, part));
        }
        length = text.size();
    } else {
        const QString listed = QString::fromUtf8(serial).trimmed().toUpper();
        m_listing.append(listed.toUtf8());
        length = listed.size();
    }
    if (length < kSerialWidth) {
        m_listing.append(QByteArrayView(kBlanks, kSerialWidth - length));
    }
    m_listing.append('\t');
}

void ListingLines::appendValue(double value)
{
    // The text shows the value in thousandths, so values of the same thousandth share it. A
    // value within a hair of half a thousandth is formatted by itself: only the formatter's own
    // rounding can say which way it goes.
    const QString pattern = QStringLiteral("##0.000");
    const double thousandths = value * 1000;
    const double fraction = thousandths - std::floor(thousandths);
    const bool halfway = std::abs(fraction - 0.5) < 1e-6;
    if (!(std::abs(thousandths) < 1e9)) {
        m_listing.append(FormatNumber(value, pattern).toUtf8());
    } else {
        auto& texts = halfway ? m_halfwayTexts : m_valueTexts;
        const auto key = halfway ? value : static_cast<double>(std::llround(thousandths));
        auto found = texts.constFind(key);
        if (found == texts.cend()) {
            if (texts.size() >= kMostValueTexts) {
                texts.clear();
            }
            found = texts.insert(key, FormatNumber(value, pattern).toUtf8());
        }
        m_listing.append(*found);
    }
    m_listing.append('\t');
}

void ListingLines::appendDate(qint64 time)
{
    m_listing.append('\t');
    if (time == ChartRowStore::kUndated) {
        return;
    }
    // Julian day numbers of real dates are positive.
    const qint64 day = time / ChartRowStore::kSecondsPerDay;
    const auto ofDay = static_cast<int>(time % ChartRowStore::kSecondsPerDay) / 60;
    if (day != m_day) {
        m_day = day;
        m_dayText = FormatDate(WallClock(day, 0), QStringLiteral("mm/dd/yyyy ")).toUtf8();
    }
    QByteArray& text = m_minuteOfDayTexts[static_cast<size_t>(ofDay)];
    if (text.isEmpty()) {
        text = FormatDate(WallClock(day, ofDay * 60), QStringLiteral("hh:mm AM/PM")).toUtf8();
    }
    m_listing.append(m_dayText);
    m_listing.append(text);
}
