#include "DataRow.h"
#include "Formats.h"
#include "TestMain.h"

#include <QTest>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Exact text of a double, so that comparisons are bit-exact rather than fuzzy and tell -0 from 0.
QByteArray exact(double value)
{
    char buffer[64];
    const auto printed = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, static_cast<qsizetype>(printed.ptr - buffer));
}

const QLocale en(QLocale::English, QLocale::UnitedStates);
const QLocale de(QLocale::German, QLocale::Germany);
const QDateTime kAfternoon(QDate(2024, 3, 7), QTime(13, 5, 9));

} // namespace

class FormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void formatNumber_data()
    {
        AddColumns<double, QString, QLocale, QString>("value", "pattern", "locale", "expected");

        QTest::newRow("tie away from zero") << 0.1245 << "#,##0.0##" << en << "0.125";
        QTest::newRow("negative integer tie") << -2.5 << "#,##0" << en << "-3";
        QTest::newRow("zero without forced digit") << 0.0 << "#,###" << en << "";
        QTest::newRow("small negative to nothing") << -0.4 << "#,###" << en << "";
        QTest::newRow("groups of three") << 123456789.891 << "#,##0.##" << en << "123,456,789.89";
        QTest::newRow("optional decimals all zero") << 2.0 << "#,##0.##" << en << "2.";
        QTest::newRow("no integer digit, half") << 0.5 << "#,###.##" << en << ".5";
        QTest::newRow("negative fixed decimals") << -0.5 << "##0.000" << en << "-0.500";
        QTest::newRow("zero padded") << 12345.6 << "0000000" << en << "0012346";
        QTest::newRow("padding is grouped") << 5.0 << "0,000" << en << "0,005";
        QTest::newRow("carry into new group") << 999.9996 << "#,##0.###" << en << "1,000.";
        // 2.675 is stored as 2.67499999999999982...; at 15 significant digits it is a tie.
        QTest::newRow("binary tie literal") << 2.675 << "0.00" << en << "2.68";
        QTest::newRow("below tie at 15 digits") << 2.67499999999999 << "0.00" << en << "2.67";
        QTest::newRow("empty pattern") << 1234.5 << "" << en << "1234.5";
        QTest::newRow("de grouped") << 1234.5 << "#,##0.0##" << de << "1.234,5";
    }

    void formatNumber()
    {
        const auto [value, pattern, locale, expected] = FetchRow<double, QString, QLocale, QString>();
        QCOMPARE(FormatNumber(value, pattern, locale), expected);
    }

    void formatDate_data()
    {
        AddColumns<QDateTime, QString, QLocale, QString>("value", "pattern", "locale", "expected");

        const QDateTime midnight(QDate(2024, 3, 7), QTime(0, 30));
        const QDateTime noon(QDate(2024, 12, 25), QTime(12, 0));

        QTest::newRow("short year") << kAfternoon << "mm/dd/yy" << en << "03/07/24";
        QTest::newRow("12-hour upper") << kAfternoon << "mm/dd/yyyy hh:mm AM/PM" << en << "03/07/2024 01:05 PM";
        QTest::newRow("month name lower") << kAfternoon << "mmm dd, yyyy hh:mm am/pm" << en << "Mar 07, 2024 01:05 pm";
        QTest::newRow("half past midnight") << midnight << "h:nn AM/PM" << en << "12:30 AM";
        QTest::newRow("noon one letter") << noon << "hh:mm a/p" << en << "12:00 p";
        QTest::newRow("24-hour, minutes before seconds") << kAfternoon << "hh:mm:ss" << en << "13:05:09";
        QTest::newRow("unpadded") << kAfternoon << "m/d/yyyy h:m" << en << "3/7/2024 13:5";
        QTest::newRow("names") << kAfternoon << "dddd, mmmm d (ddd)" << en << "Thursday, March 7 (Thu)";
        QTest::newRow("upper case letters") << kAfternoon << "MM/DD/YYYY HH:MM" << en << "03/07/2024 13:05";
        QTest::newRow("quoted and escaped") << kAfternoon << "\"day\" d \\d" << en << "day 7 d";
        QTest::newRow("short date") << kAfternoon << "Short Date" << en << "3/7/2024";
        QTest::newRow("de short date") << kAfternoon << "Short Date" << de << "07.03.2024";
    }

    void formatDate()
    {
        const auto [value, pattern, locale, expected] = FetchRow<QDateTime, QString, QLocale, QString>();
        QCOMPARE(FormatDate(value, pattern, locale), expected);
    }

    void parseShortDate_data()
    {
        AddColumns<QString, QLocale, QDate>("text", "locale", "expected");

        QTest::newRow("padded fields, blanks around") << "  03/07/2024 " << en << QDate(2024, 3, 7);
        QTest::newRow("two-digit year") << "3/7/24" << en << QDate(2024, 3, 7);
        QTest::newRow("window top") << "3/7/29" << en << QDate(2029, 3, 7);
        QTest::newRow("window bottom") << "3/7/30" << en << QDate(1930, 3, 7);
        QTest::newRow("month 13") << "13/1/2024" << en << QDate();
        QTest::newRow("day 30 of February") << "2/30/2024" << en << QDate();
        QTest::newRow("three-digit year") << "3/7/202" << en << QDate();
        QTest::newRow("trailing text") << "3/7/2024x" << en << QDate();
        QTest::newRow("de short") << "7.3.24" << de << QDate(2024, 3, 7);
        QTest::newRow("de given US text") << "3/7/2024" << de << QDate();
    }

    void parseShortDate()
    {
        const auto [text, locale, expected] = FetchRow<QString, QLocale, QDate>();
        QCOMPARE(ParseShortDate(text, locale), expected);
    }

    void round3_data()
    {
        AddColumns<double, double>("value", "expected");

        QTest::newRow("tie down to even") << 2.0005 << 2.0;
        QTest::newRow("tie up to even") << 2.0015 << 2.002;
        QTest::newRow("negative tie") << -2.0025 << -2.002;
        QTest::newRow("just above tie") << 2.00050001 << 2.001;
        QTest::newRow("carry") << 9.9995 << 10.0;
        QTest::newRow("negative to zero") << -0.0004 << 0.0;
        QTest::newRow("huge") << 1e300 << 1e300;
    }

    void round3()
    {
        const auto [value, expected] = FetchRow<double, double>();
        QCOMPARE(exact(Round3(value)), exact(expected));
    }

    void leadingNumber_data()
    {
        AddColumns<QString, double>("text", "expected");

        QTest::newRow("blanks, sign, letters after") << "  -3.5x" << -3.5;
        QTest::newRow("no number") << "x" << 0.0;
        QTest::newRow("two signs") << "--5" << 0.0;
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("blank after sign") << "- 3" << -3.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("D exponent") << "1D2" << 100.0;
        QTest::newRow("exponent without digits") << "1e" << 1.0;
        QTest::newRow("second point") << "2.5.1" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("comma stops") << "1,000" << 1.0;
        QTest::newRow("overflow") << "1e400" << std::numeric_limits<double>::infinity();
        QTest::newRow("underflow") << "1e-400" << 0.0;
    }

    void leadingNumber()
    {
        const auto [text, expected] = FetchRow<QString, double>();
        QCOMPARE(exact(LeadingNumber(text)), exact(expected));
    }

    void numericValue_data()
    {
        AddColumns<QString, QLocale, bool, double>("text", "locale", "numeric", "value");

        QTest::newRow("grouped") << "1,234.5" << en << true << 1234.5;
        QTest::newRow("blanks and sign") << " -2 " << en << true << -2.0;
        QTest::newRow("not available") << "N/A" << en << false << 0.0;
        QTest::newRow("nan") << "nan" << en << false << 0.0;
        QTest::newRow("trailing text") << "1.5x" << en << false << 0.0;
        QTest::newRow("de decimal") << "1,5" << de << true << 1.5;
        QTest::newRow("de grouped") << "1.234,5" << de << true << 1234.5;
        QTest::newRow("de given US decimal") << "1.5" << de << false << 0.0;
    }

    void numericValue()
    {
        const auto [text, locale, numeric, value] = FetchRow<QString, QLocale, bool, double>();
        QCOMPARE(IsNumericText(text, locale), numeric);
        const std::optional<double> read = NumericValue(text, locale);
        QCOMPARE(read ? exact(*read) : QByteArray("none"), numeric ? exact(value) : QByteArray("none"));
    }
};

TESSALY_TEST(FormatsTest)

#include "tst_formats.moc"
