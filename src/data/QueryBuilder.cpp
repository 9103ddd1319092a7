#include "QueryBuilder.h"

#include "Formats.h"

#include <QRegularExpression>
#include <stdexcept>

namespace {

// The date separator of the locale: the first character of its short date format that is
// neither a letter nor a blank ("M/d/yy" -> '/', "dd.MM.yy" -> '.'); '/' when the format has none
// (the C locale writes "d MMM yyyy").
QChar dateSeparator(const QLocale& locale)
{
    for (const QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetter() && !c.isSpace()) {
            return c;
        }
    }
    return QLatin1Char('/');
}

// "mm/dd/yy" with the locale's separator. The separator is escaped so that no character of
// any locale can be read as a pattern letter.
QString rangeDate(const QDate& date, const QLocale& locale)
{
    const QString sep = QLatin1Char('\\') + dateSeparator(locale);
    return FormatDate(date, QStringLiteral("mm") + sep + QStringLiteral("dd") + sep + QStringLiteral("yy"), locale);
}

// How many days before today a preset range starts; -1 for a text that is no preset.
int presetDaysBack(const QString& range)
{
    static const QList<std::pair<QString, int>> presets{
        {QStringLiteral("Today"), 0},           {QStringLiteral("Last 3 Days"), 2},
        {QStringLiteral("Last 7 Days"), 6},     {QStringLiteral("Last 15 Days"), 14},
        {QStringLiteral("Last 30 Days"), 29},   {QStringLiteral("Last 45 Days"), 44},
        {QStringLiteral("Last 60 Days"), 59},   {QStringLiteral("Last 90 Days"), 89},
        {QStringLiteral("Last 120 Days"), 119}, {QStringLiteral("Last 180 Days"), 179},
    };
    for (const auto& [text, days] : presets) {
        if (text == range) {
            return days;
        }
    }
    return -1;
}

bool isFilter(const QString& value)
{
    return !value.isEmpty() && value != QLatin1String("<All>");
}

// The conditions that drop missing-measurement markers of one bracketed parameter.
QString measuredClause(const QString& p)
{
    return QStringLiteral("AND [%1] IS NOT NULL AND [%1] <> 999 AND [%1] <> -999 ").arg(p);
}

} // namespace

QStringList RangeTexts()
{
    return {QStringLiteral("Today"),         QStringLiteral("Last 3 Days"),  QStringLiteral("Last 7 Days"),
            QStringLiteral("Last 15 Days"),  QStringLiteral("Last 30 Days"), QStringLiteral("Last 45 Days"),
            QStringLiteral("Last 60 Days"),  QStringLiteral("Last 90 Days"), QStringLiteral("Last 120 Days"),
            QStringLiteral("Last 180 Days"), QStringLiteral("Custom")};
}

QString GetTestedRange(const QString& strRange, const QString& databaseType, const QDate& today,
                       const QDate& customFrom, const QDate& customTo, QString* error, const QLocale& locale)
{
    QDate from;
    QDate to = today;
    if (strRange == QLatin1String("Custom")) {
        if (customFrom.isNull() || customTo.isNull()) {
            if (error) {
                *error = QStringLiteral("Can not reach to custom date!");
            }
            return {};
        }
        from = customFrom;
        to = customTo;
    } else {
        const int daysBack = presetDaysBack(strRange);
        if (daysBack < 0) {
            return {};
        }
        from = today.addDays(-daysBack);
    }
    const QString start = rangeDate(from, locale) + QStringLiteral(" 00:00:01 am");
    const QString end = rangeDate(to, locale) + QStringLiteral(" 11:59:59 pm");
    if (databaseType == QLatin1String("ACCESS")) {
        return QLatin1Char('#') + start + QStringLiteral("# AND #") + end + QLatin1Char('#');
    }
    return QLatin1Char('\'') + start + QStringLiteral("' AND '") + end + QLatin1Char('\'');
}

QString MakeSQL(const QueryContext& context, const QString& strParameter, const QString& strRange,
                const QString& strATE, const QString& strSortBy, const QString& strSerialNumber,
                const QString& strTestID, const QString& strPassFail, bool blnOnlyLastData, const QString& strChartType,
                const QString& strXSource, const QString& strYsource)
{
    const QString& table = context.table;
    const QString& snf = context.serialNumberField;
    const QString& atef = context.ateIDField;
    const QString& timef = context.testStartTimeField;
    const QString& p = strParameter;

    QString ate = isFilter(strATE) ? QStringLiteral("AND %1 = '%2' ").arg(atef, strATE) : QString();
    const QString testID =
        isFilter(strTestID) ? QStringLiteral("AND %1 = '%2' ").arg(context.testIDField, strTestID) : QString();
    const QString serial = strSerialNumber.isEmpty() ? QStringLiteral("AND %1 LIKE '%%' ").arg(snf)
                                                     : QStringLiteral("AND %1 = '%2' ").arg(snf, strSerialNumber);
    auto nonZero = [&](const QString& param) {
        return context.acceptZero ? QString() : QStringLiteral("AND [%1] <> 0 ").arg(param);
    };
    const QString iz = nonZero(p);
    const QString select = QStringLiteral("SELECT %1 AS SNX, %2 AS ATEX, ").arg(snf, atef);
    const QString groupBy = QStringLiteral("GROUP BY %1, %2, %3").arg(snf, atef, timef);
    // The WHERE clause up to and including the test ID filter; the measurement conditions follow.
    auto filters = [&] {
        return QStringLiteral("WHERE ") + context.passFailField + QLatin1Char(' ') + strPassFail + QLatin1Char(' ') +
               ate + serial + QStringLiteral("AND ") + timef + QStringLiteral(" BETWEEN ") + strRange +
               QLatin1Char(' ') + testID;
    };

    if (strChartType.isEmpty()) {
        const QString where = filters() + measuredClause(p) + iz;
        if (blnOnlyLastData) {
            return select + QStringLiteral("MAX (%1) AS DateX, MAX([%2]) AS ValueX FROM %3 ").arg(timef, p, table) +
                   where + groupBy + QStringLiteral(" ORDER BY ") + strSortBy + QLatin1Char(';');
        }
        return select + QStringLiteral("%1 AS DateX, [%2] AS ValueX FROM %3 ").arg(timef, p, table) + where +
               QStringLiteral("ORDER BY ") + strSortBy + QLatin1Char(';');
    }

    if (strChartType == QLatin1String("Pareto") || strChartType == QLatin1String("Histogram")) {
        if (blnOnlyLastData) {
            return select + QStringLiteral("MAX(%1) AS TimeX, MAX([%2]) AS ValueX FROM %3 ").arg(timef, p, table) +
                   filters() + measuredClause(p) + iz + groupBy + QLatin1Char(';');
        }
        // Here the zero filter comes before the measurement conditions, which close the statement.
        QString where = filters() + iz + measuredClause(p);
        where.chop(1);
        return select + QStringLiteral("%1 AS DateX, [%2] AS ValueX FROM %3 ").arg(timef, p, table) + where +
               QLatin1Char(';');
    }

    if (strChartType == QLatin1String("Scatter")) {
        if (!strXSource.isEmpty() || !strYsource.isEmpty()) {
            // One parameter on two sources: the rows of the source this query is for.
            const QString& source = strXSource.isEmpty() ? strYsource : strXSource;
            ate = QStringLiteral("AND %1 = '%2' ").arg(atef, source);
            const QString where = filters() + measuredClause(p) + iz;
            if (blnOnlyLastData) {
                return select + QStringLiteral("MAX(%1) AS DateX, MAX([%2]) AS ValueX FROM %3 ").arg(timef, p, table) +
                       where + groupBy + QStringLiteral(" ORDER BY %1, MAX(%2);").arg(snf, timef);
            }
            return select + QStringLiteral("%1 AS DateX, [%2] AS ValueX FROM %3 ").arg(timef, p, table) + where +
                   QStringLiteral("ORDER BY %1, %2;").arg(snf, timef);
        }

        // Two parameters on the same rows, given as "X:::Y".
        const qsizetype at = strParameter.indexOf(QLatin1String(":::"));
        if (at < 0) {
            throw std::invalid_argument("MakeSQL: a scatter pair needs the parameters as \"X:::Y\", got \"" +
                                        strParameter.toStdString() + "\"");
        }
        const QString px = strParameter.left(at);
        const QString py = strParameter.mid(at + 3);
        const QString where = filters() + measuredClause(px) + measuredClause(py) + nonZero(px) + nonZero(py);
        if (blnOnlyLastData) {
            return select +
                   QStringLiteral("MAX(%1) AS DateX, MAX([%2]) AS ValueX, MAX([%3]) AS ValueY FROM %4 ")
                       .arg(timef, px, py, table) +
                   where + groupBy + QStringLiteral(" ORDER BY MAX(%1), MAX(%2);").arg(timef, atef);
        }
        return select +
               QStringLiteral("%1 AS DateX, [%2] AS ValueX, [%3] AS ValueY FROM %4 ").arg(timef, px, py, table) +
               where + QStringLiteral("ORDER BY %1,%2;").arg(timef, atef);
    }
    return {};
}

namespace {

// Whether the text literal starting at `start` is the right side of "=" or "<>".
bool comparedForEquality(const QString& sql, qsizetype start)
{
    qsizetype i = start - 1;
    while (i >= 0 && sql.at(i).isSpace()) {
        --i;
    }
    return i >= 0 && (sql.at(i) == QLatin1Char('=') ||
                      (sql.at(i) == QLatin1Char('>') && i > 0 && sql.at(i - 1) == QLatin1Char('<')));
}

} // namespace

// Text comparisons of the program's SQL ignore case, as they do on Jet and on SQL Server's
// usual collation; SQLite compares text exactly unless told otherwise.
QString ToSQLiteDialect(const QString& sql)
{
    // The date-time as the program writes it: month, day and year separated by one repeated
    // non-digit (a relative back-reference, as the pattern is also embedded after another
    // group), then a 12-hour time with am/pm. Bounded repetition keeps each try short.
    static const QString dateTime = QStringLiteral(
        R"((\d{1,2})([^\d\s'#])(\d{1,2})\g{-2}(\d{4}|\d{2})\s{1,4}(\d{1,2}):(\d{2}):(\d{2})\s{0,4}([AaPp][Mm]))");
    // Left to right: bracketed identifiers and quoted strings are taken whole, so a '#' or an
    // apostrophe inside them never starts a literal; '#'-delimited date-times are captured.
    // Neither class of the whole-token alternatives can cross its own opening character, so
    // every start position scans a distinct stretch and the pass stays linear.
    static const QRegularExpression token(QStringLiteral(R"(\[[^\[\]]*\]|'([^']*)'|#)") + dateTime + QLatin1Char('#'));
    static const QRegularExpression quotedDateTime(QRegularExpression::anchoredPattern(dateTime));

    // 'YYYY-MM-DD HH:MM:SS' for a match of dateTime whose first group is at `first`, or "" when
    // the fields do not make a real date and time.
    auto isoText = [](const QRegularExpressionMatch& m, int first) {
        int year = m.capturedView(first + 3).toInt();
        if (m.capturedLength(first + 3) == 2) {
            year += year >= 30 ? 1900 : 2000;
        }
        const QDate date(year, m.capturedView(first).toInt(), m.capturedView(first + 2).toInt());
        int hour = m.capturedView(first + 4).toInt();
        const int minute = m.capturedView(first + 5).toInt();
        const int second = m.capturedView(first + 6).toInt();
        if (!date.isValid() || hour > 12 || minute > 59 || second > 59) {
            return QString();
        }
        const bool pm = m.capturedView(first + 7).front().toLower() == QLatin1Char('p');
        hour = hour % 12 + (pm ? 12 : 0);
        return QLatin1Char('\'') + date.toString(QStringLiteral("yyyy-MM-dd")) +
               QStringLiteral(" %1:%2:%3'")
                   .arg(hour, 2, 10, QLatin1Char('0'))
                   .arg(minute, 2, 10, QLatin1Char('0'))
                   .arg(second, 2, 10, QLatin1Char('0'));
    };

    QString out;
    out.reserve(sql.size());
    qsizetype done = 0;
    for (auto it = token.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString replacement;
        if (m.capturedStart(2) >= 0) {
            replacement = isoText(m, 2);
        } else if (m.capturedStart(1) >= 0) {
            const QRegularExpressionMatch inner = quotedDateTime.match(m.capturedView(1));
            if (inner.hasMatch()) {
                replacement = isoText(inner, 1);
            } else if (comparedForEquality(sql, m.capturedStart())) {
                replacement = m.captured(0) + QStringLiteral(" COLLATE NOCASE");
            }
        }
        if (!replacement.isEmpty()) {
            out += QStringView(sql).mid(done, m.capturedStart() - done);
            out += replacement;
            done = m.capturedEnd();
        }
    }
    out += QStringView(sql).mid(done);
    return out;
}
