#include "QueryBuilder.h"

#include "AnyCaseText.h"
#include "Formats.h"
#include "Selection.h"
#include "SqlQuoting.h"

#include <QRegularExpression>
#include <algorithm>
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
    return !value.isEmpty() && value != kAll;
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

std::optional<std::pair<QDate, QDate>> RangeDays(const QString& range, const QDate& today, const QDate& customFrom,
                                                 const QDate& customTo)
{
    if (range == QLatin1String("Custom")) {
        if (customFrom.isNull() || customTo.isNull()) {
            return std::nullopt;
        }
        return std::pair{customFrom, customTo};
    }
    const int daysBack = presetDaysBack(range);
    if (daysBack < 0) {
        return std::nullopt;
    }
    return std::pair{today.addDays(-daysBack), today};
}

SqlText GetTestedRange(const QString& strRange, const QString& databaseType, const QDate& today,
                       const QDate& customFrom, const QDate& customTo, QString* error, const QLocale& locale)
{
    const auto days = RangeDays(strRange, today, customFrom, customTo);
    if (!days) {
        if (error && strRange == QLatin1String("Custom")) {
            *error = QStringLiteral("Can not reach to custom date!");
        }
        return {};
    }
    const auto [from, to] = *days;
    const QChar delimiter = databaseType == QLatin1String("ACCESS") ? QLatin1Char('#') : QLatin1Char('\'');
    const auto literal = [&](const QDate& date, const char* time, const QTime& clock) {
        return DateLiteral{delimiter + rangeDate(date, locale) + QLatin1String(time) + delimiter,
                           QDateTime(date, clock, Qt::UTC)};
    };
    const DateLiteral start = literal(from, " 00:00:01 am", QTime(0, 0, 1));
    const DateLiteral end = literal(to, " 11:59:59 pm", QTime(23, 59, 59));
    return SqlText(start.text + QStringLiteral(" AND ") + end.text, {start, end});
}

SqlText RaiseRangeStart(const SqlText& sql, const QDateTime& from, const QLocale& locale)
{
    // Compared by their wall-clock fields, as the literals carry them.
    const QTime time = from.time();
    const QDateTime wallClock(from.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
    if (sql.dates.isEmpty() || sql.dates.front().dateTime >= wallClock) {
        return sql;
    }
    const DateLiteral& start = sql.dates.front();
    const QString between = QStringLiteral("BETWEEN ");
    const qsizetype at = sql.text.indexOf(between + start.text);
    if (at < 0) {
        return sql;
    }
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QChar delimiter = start.text.front();
    const QString text = delimiter + rangeDate(from.date(), locale) +
                         QStringLiteral(" %1:%2:%3 %4")
                             .arg(hour, 2, 10, QLatin1Char('0'))
                             .arg(time.minute(), 2, 10, QLatin1Char('0'))
                             .arg(time.second(), 2, 10, QLatin1Char('0'))
                             .arg(time.hour() < 12 ? QLatin1String("am") : QLatin1String("pm")) +
                         delimiter;
    SqlText raised = sql;
    raised.text.replace(at + between.size(), start.text.size(), text);
    raised.dates.front() = DateLiteral{text, wallClock};
    return raised;
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

    // "AND column = 'value' ", the value quoted so that it can only ever be compared.
    const auto equals = [](const QString& column, const QString& value) {
        return QStringLiteral("AND %1 = %2 ").arg(column, SqlTextLiteral(value));
    };
    QString ate = isFilter(strATE) ? equals(atef, strATE) : QString();
    const QString testID = isFilter(strTestID) ? equals(context.testIDField, strTestID) : QString();
    const QString serial =
        strSerialNumber.isEmpty() ? QStringLiteral("AND %1 LIKE '%%' ").arg(snf) : equals(snf, strSerialNumber);
    auto nonZero = [&](const QString& param) {
        return context.acceptZero ? QString() : QStringLiteral("AND [%1] <> 0 ").arg(param);
    };
    const QString iz = nonZero(p);
    const QString select = QStringLiteral("SELECT %1 AS SNX, %2 AS ATEX, ").arg(snf, atef);
    const QString groupBy = QStringLiteral("GROUP BY %1, %2, %3").arg(snf, atef, timef);
    // The conditions after the verdict's, each starting with "AND ": source, serial, range, test ID.
    auto selected = [&] {
        return ate + serial + QStringLiteral("AND ") + timef + QStringLiteral(" BETWEEN ") + strRange +
               QLatin1Char(' ') + testID;
    };
    // The WHERE clause up to and including the test ID filter; the measurement conditions follow.
    auto filters = [&] {
        return QStringLiteral("WHERE ") + context.passFailField + QLatin1Char(' ') + strPassFail + QLatin1Char(' ') +
               selected();
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

    if (strChartType == QLatin1String("Screening")) {
        // Every parameter at once, "A:::B:::C", as Value0, Value1, ...: the rows of the selection
        // with their raw values, for the program to drop each column's missing values, order and
        // group the rows itself. Unordered, so that the engine streams the rows instead of
        // holding them all to sort them.
        QString values;
        const QStringList columns = strParameter.split(QLatin1String(":::"));
        for (qsizetype i = 0; i < columns.size(); ++i) {
            values += QStringLiteral(", [%1] AS Value%2").arg(columns[i]).arg(i);
        }
        QString where = filters();
        where.chop(1);
        return select + timef + QStringLiteral(" AS DateX") + values + QStringLiteral(" FROM ") + table +
               QLatin1Char(' ') + where + QLatin1Char(';');
    }

    if (strChartType == QLatin1String("Yield")) {
        // Every record of the selection, whatever its verdict and values, for the program to count
        // units by serial: PassX is 1 where the pass column meets strPassFail, and the parameter
        // columns ("A:::B", or none) follow as Value0, Value1, ... In time order, so that a unit's
        // first record comes first; then by source and serial, which keeps the records that the
        // last-data-only grouping joins next to each other.
        QString values;
        const QStringList columns = strParameter.split(QLatin1String(":::"), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < columns.size(); ++i) {
            values += QStringLiteral(", [%1] AS Value%2").arg(columns[i]).arg(i);
        }
        const QString passed = QStringLiteral(" AS DateX, CASE WHEN %1 %2 THEN 1 ELSE 0 END AS PassX")
                                   .arg(context.passFailField, strPassFail);
        return select + timef + passed + values + QStringLiteral(" FROM ") + table + QStringLiteral(" WHERE ") +
               selected().mid(4) + QStringLiteral("ORDER BY %1, %2, %3;").arg(timef, atef, snf);
    }

    if (strChartType == QLatin1String("Scatter")) {
        if (!strXSource.isEmpty() || !strYsource.isEmpty()) {
            // One parameter on two sources: the rows of the source this query is for.
            const QString& source = strXSource.isEmpty() ? strYsource : strXSource;
            ate = equals(atef, source);
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

// The operator ("=" or "<>") of which the literal starting at `start` is the right side, and where
// that operator starts; an empty operator when the literal is no such operand.
std::pair<QStringView, qsizetype> comparisonBefore(const QString& sql, qsizetype start)
{
    qsizetype i = start - 1;
    while (i >= 0 && sql.at(i).isSpace()) {
        --i;
    }
    if (i >= 0 && sql.at(i) == QLatin1Char('=')) {
        return {QStringView(sql).mid(i, 1), i};
    }
    if (i > 0 && sql.at(i) == QLatin1Char('>') && sql.at(i - 1) == QLatin1Char('<')) {
        return {QStringView(sql).mid(i - 1, 2), i - 1};
    }
    return {{}, start};
}

SqlToken::Kind tokenKind(QStringView token)
{
    switch (token.front().unicode()) {
    case '[':
        return SqlToken::Kind::Name;
    case '\'':
        return SqlToken::Kind::Text;
    case '#':
        return SqlToken::Kind::Hash;
    default:
        return SqlToken::Kind::Table;
    }
}

} // namespace

namespace {

// 'sné1*' -> '[sS][nN][' || char(233, 201) || ']1[*]': a GLOB pattern that matches the text in
// any case and nothing else. Characters outside ASCII are written as their codes: unixODBC hands
// the statement to a driver without wide-character calls (SQLite's) in the locale's character set.
QString anyCasePattern(QStringView literal)
{
    QString pattern = QStringLiteral("'");
    for (const char32_t c : literal.mid(1, literal.size() - 2).toUcs4()) {
        const QList<char32_t> cases = LetterCases(c);
        const bool set = cases.size() > 1 || QStringView(u"*?[]").contains(QChar(c));
        const bool ascii = std::all_of(cases.cbegin(), cases.cend(), [](char32_t x) { return x < 0x80; });
        QStringList codes;
        for (const char32_t x : std::as_const(cases)) {
            codes.append(ascii ? QString(QChar(x)) : QString::number(x));
        }
        const QString written = ascii ? codes.join(QString())
                                      : QStringLiteral("' || char(") + codes.join(QStringLiteral(", ")) +
                                            QStringLiteral(") || '");
        pattern += set ? QLatin1Char('[') + written + QLatin1Char(']') : written;
    }
    return pattern + QLatin1Char('\'');
}

} // namespace

QString RewriteSqlTokens(const SqlText& sql, const SqlTokenRewrite& rewrite)
{
    // Left to right: bracketed identifiers, quoted strings (an apostrophe inside doubled),
    // '#'-delimited literals and the bare word after FROM are taken whole, so that a mark inside
    // one never starts another. Every class stops at its own closing mark and never backtracks,
    // so the pass stays linear.
    static const QRegularExpression token(
        QStringLiteral(R"(\[[^\[\]]*+\]|'[^']*+(?:''[^']*+)*+'|#[^#'\[\]]*+#|\b(?i:FROM)\s++\K[A-Za-z_]\w*+)"));

    const QString& text = sql.text;
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QStringView literal = m.capturedView();
        const SqlToken::Kind kind = tokenKind(literal);
        const bool isLiteral = kind == SqlToken::Kind::Text || kind == SqlToken::Kind::Hash;
        const auto [comparison, from] =
            isLiteral ? comparisonBefore(text, m.capturedStart()) : std::pair{QStringView(), m.capturedStart()};
        const auto date = std::find_if(sql.dates.cbegin(), sql.dates.cend(),
                                       [&literal](const DateLiteral& d) { return d.text == literal; });
        // A value that reads like a range date stays a value.
        const bool rangeBound = isLiteral && date != sql.dates.cend() && comparison.isEmpty();
        const SqlToken found{kind, literal, comparison, QStringView(text).mid(from, m.capturedEnd() - from),
                             rangeBound ? &*date : nullptr};
        const std::optional<QString> replacement = rewrite(found);
        if (!replacement) {
            continue;
        }
        out += QStringView(text).mid(done, from - done);
        out += *replacement;
        done = m.capturedEnd();
    }
    out += QStringView(text).mid(done);
    return out;
}

// Text comparisons of the program's SQL ignore case, as they do on Jet and on SQL Server's
// usual collation; SQLite compares text exactly unless told otherwise.
QString ToSQLiteDialect(const SqlText& sql, bool programNoCase)
{
    return RewriteSqlTokens(sql, [programNoCase](const SqlToken& token) -> std::optional<QString> {
        if (token.date) {
            return token.date->dateTime.toString(QStringLiteral("''yyyy-MM-dd HH:mm:ss''"));
        }
        if (token.kind == SqlToken::Kind::Text && !token.comparison.isEmpty()) {
            if (programNoCase) {
                return token.written.toString() + QStringLiteral(" COLLATE NOCASE");
            }
            const QString glob =
                token.comparison == QLatin1String("=") ? QStringLiteral("GLOB ") : QStringLiteral("NOT GLOB ");
            return glob + anyCasePattern(token.text);
        }
        return std::nullopt;
    });
}
