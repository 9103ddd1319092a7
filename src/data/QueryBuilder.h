#pragma once

#include "ProductConfig.h"
#include "SqlText.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

// The range texts the user chooses from, in list order: "Today", "Last 3 Days", ... "Custom".
QStringList RangeTexts();

// The first and last day of a range text as of today: customFrom..customTo for "Custom"; nothing
// for an unknown text or a custom range never entered (null dates).
std::optional<std::pair<QDate, QDate>> RangeDays(const QString& range, const QDate& today, const QDate& customFrom,
                                                 const QDate& customTo);

// The BETWEEN operands of a range text ("Today", "Last 7 Days", ..., "Custom") for the date
// syntax of databaseType: "#03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm#" for "ACCESS",
// the same in single quotes for every other type, with the two literals and their date-times.
// Dates are written "mm/dd/yy" with the locale's date separator. For "Custom" the range is
// customFrom..customTo; when no custom range was ever entered (null dates) the result is empty
// and *error says "Can not reach to custom date!". An unknown range text also gives an empty
// result (no error text).
SqlText GetTestedRange(const QString& strRange, const QString& databaseType, const QDate& today,
                       const QDate& customFrom, const QDate& customTo, QString* error = nullptr,
                       const QLocale& locale = QLocale());

// The statement with the lower bound of its range (the first date literal it carries) raised to
// `from`, to the second and inclusive, written as the range writes its literals; unchanged when
// the bound is already at or after `from`.
SqlText RaiseRangeStart(const SqlText& sql, const QDateTime& from, const QLocale& locale = QLocale());

// What the statement text needs besides the arguments: the product's table and columns
// (bracketed, ready for SQL) and whether zero values are accepted.
struct QueryContext
{
    QString table;
    QString serialNumberField = ColumnMapping().serialNumberField;
    QString ateIDField = ColumnMapping().ateIDField;
    QString testStartTimeField = ColumnMapping().testStartTimeField;
    QString passFailField = ColumnMapping().passFailField;
    QString testIDField = ColumnMapping().testIDField;
    bool acceptZero = true;
};

// The SELECT statement of a chart kind: "" (control charts), "Pareto", "Histogram", "Scatter",
// "Screening" (every parameter of a product, "A:::B:::C", in no particular order) or "Yield"
// (every record of the selection, PassX 1 where the pass column meets strPassFail, and the
// parameter columns "A:::B" or none, in time order); "" for any other kind. strRange is already
// the BETWEEN operands. The source, serial number and test ID are inserted as SQL text literals
// (SqlTextLiteral: apostrophes doubled). A scatter pair (no sources) takes "X:::Y" in
// strParameter and throws std::invalid_argument when the separator is missing.
QString MakeSQL(const QueryContext& context, const QString& strParameter, const QString& strRange,
                const QString& strATE, const QString& strSortBy, const QString& strSerialNumber,
                const QString& strTestID, const QString& strPassFail, bool blnOnlyLastData, const QString& strChartType,
                const QString& strXSource = {}, const QString& strYsource = {});

// The program's SQL as SQLite reads it: each date literal the statement carries becomes
// 'YYYY-MM-DD HH:MM:SS', written from its date-time. Everything else is left as it stands, except
// that text compared with "=" or "<>" compares without regard to case as on the other engines:
// with COLLATE NOCASE where the engine has the program's NOCASE (UseUnicodeNoCase), else (SQLite
// behind ODBC, whose NOCASE knows only ASCII) as "GLOB '[sS][nN][' || char(233, 201) || ']1'",
// each letter matching its other cases and nothing else ("ß" never matches "SS").
QString ToSQLiteDialect(const SqlText& sql, bool programNoCase = true);

// A piece of the program's SQL that a dialect may write differently.
struct SqlToken
{
    enum class Kind
    {
        Name,  // a bracketed identifier: "[Vout]"
        Table, // the bare table name after FROM: "Results"
        Text,  // a quoted text, an apostrophe inside written twice: "'PASS'"
        Hash   // a '#'-delimited literal: "#03/01/24 00:00:01 am#"
    };
    Kind kind;
    QStringView text;        // as written, delimiters included
    QStringView comparison;  // "=" or "<>" when the token is a literal on the right of one; else empty
    QStringView written;     // what a replacement stands for: the token, with its comparison ("= 'PASS'")
    const DateLiteral* date; // the range bound a literal is: one the statement carries, not compared
};

// The statement with each token (left to right) replaced by what `rewrite` returns for it;
// std::nullopt keeps the token as written.
using SqlTokenRewrite = std::function<std::optional<QString>(const SqlToken&)>;
QString RewriteSqlTokens(const SqlText& sql, const SqlTokenRewrite& rewrite);
