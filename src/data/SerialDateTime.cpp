#include "SerialDateTime.h"

#include <QDate>
#include <cmath>

namespace {

char* writeDigits(char* out, int value, int width)
{
    for (int d = width - 1; d >= 0; --d, value /= 10) {
        out[d] = char('0' + value % 10);
    }
    return out + width;
}

} // namespace

bool WriteIsoDateTime(double serial, char* out)
{
    double whole = 0;
    const double fraction = std::modf(serial, &whole);
    if (!std::isfinite(serial) || whole < -657434 || whole > 2958465) {
        return false;
    }
    qint64 day = qint64(whole);
    qint64 seconds = std::llround(std::fabs(fraction) * 86400.0);
    if (seconds >= 86400) { // rounded up to the next midnight
        seconds -= 86400;
        day += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    WriteIsoDateTime(date.year(), date.month(), date.day(), int(seconds / 3600), int(seconds / 60 % 60),
                     int(seconds % 60), out);
    return true;
}

void WriteIsoDateTime(int year, int month, int day, int hour, int minute, int second, char* out)
{
    char* p = writeDigits(out, year, 4);
    *p++ = '-';
    p = writeDigits(p, month, 2);
    *p++ = '-';
    p = writeDigits(p, day, 2);
    *p++ = ' ';
    p = writeDigits(p, hour, 2);
    *p++ = ':';
    p = writeDigits(p, minute, 2);
    *p++ = ':';
    writeDigits(p, second, 2);
}
