#include "TextOrder.h"

#include <QString>
#include <algorithm>
#include <cstring>

namespace {

unsigned char foldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c | 0x20) : c;
}

int byLength(qsizetype a, qsizetype b)
{
    return a < b ? -1 : (a > b ? 1 : 0); // a text that begins the other sorts first
}

} // namespace

TextOrder TextOrderOf(const char* collation, bool utf8)
{
    if (!utf8 || !collation) {
        return TextOrder::Other;
    }
    if (qstricmp(collation, "BINARY") == 0) {
        return TextOrder::Binary;
    }
    return qstricmp(collation, "NOCASE") == 0 ? TextOrder::NoCase : TextOrder::Other;
}

int CompareTexts(QByteArrayView a, QByteArrayView b, TextOrder order)
{
    if (order == TextOrder::NoCase) {
        return CompareWithoutCase(a, b);
    }
    const size_t common = static_cast<size_t>(std::min(a.size(), b.size()));
    const int difference = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return difference != 0 ? difference : byLength(a.size(), b.size());
}

int CompareWithoutCase(QByteArrayView a, QByteArrayView b)
{
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if ((x[i] | y[i]) & 0x80) {
            // The ASCII before ends on a character boundary in both, so the rests are whole text.
            return QString::fromUtf8(a.sliced(i)).compare(QString::fromUtf8(b.sliced(i)), Qt::CaseInsensitive);
        }
        const int difference = foldAscii(x[i]) - foldAscii(y[i]);
        if (difference != 0) {
            return difference;
        }
    }
    return byLength(a.size(), b.size());
}
