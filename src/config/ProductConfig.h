#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

// Column names and pass marker of a product's results table, ready for SQL.
struct ColumnMapping
{
    QString testIDField = QStringLiteral("[TestID]");
    QString testStartTimeField = QStringLiteral("[TestStartTime]");
    QString serialNumberField = QStringLiteral("[SerialNumber]");
    QString passFailField = QStringLiteral("[PassFail]");
    QString ateIDField = QStringLiteral("[ATEID]");
    QString passIdentical = QStringLiteral("'PASS'");
};

// A configured column name containing "[" is used as written; any other is enclosed in brackets.
QString BracketColumnName(const QString& name);

// A numeric pass marker is used as written; any other value becomes an SQL text literal.
QString QuotePassMarker(const QString& value, const QLocale& locale = QLocale());

// Reads the product's section of PRODUCTS.INI; keys that are missing or empty keep the defaults.
ColumnMapping ReadColumnMapping(const QString& productsIniPath, const QString& product);

// Limits that mean "no limit".
inline constexpr double kNoUSL = 999;
inline constexpr double kNoLSL = -999;

// One test parameter of a product, from a line of its "<product> Spec" section.
struct ParameterSpec
{
    QString field; // column of the results table
    double lsl = kNoLSL;
    double usl = kNoUSL;
    QString unit;
    QString group;
    QString name;
    int line = 0; // its key in the Spec section
    // A configured limit that is neither empty nor a number ("11.4O"): it means no limit, as an
    // empty one does, but the user is told.
    QString unreadLsl, unreadUsl;

    // The text shown in the parameter list: "group: [name]", or the name alone.
    QString listText() const;
};

// The parameter list of a product, read up to its "<EOT>" line.
struct SpecificationList
{
    enum class Outcome
    {
        Complete,
        IncompleteLine,
        NoEndMarker
    };

    QList<ParameterSpec> parameters; // those read before the end or the failure
    Outcome outcome = Outcome::Complete;
    int failedLine = 0; // the line number of an incomplete line

    // The message the user sees when the list did not read to its end; empty when it did.
    QString message() const;
};

// Reads keys "1" to "499" of section product + " Spec". Missing numbers are skipped; the list
// ends at the first line whose field 0 is "<EOT>" in any case. A line needs seven fields.
// perLine runs before each line is read (the caller lets window events run there).
SpecificationList ReadSpecificationList(const QString& productsIniPath, const QString& product,
                                        const std::function<void()>& perLine = {}, const QLocale& locale = QLocale());

// What the user is told of each limit of the list that is no number: "LSL \"11.4O\" of Output
// Voltage (key 3 in section [Line Spec] of C:\PRODUCTS.INI) is not a number: no limit".
QStringList UnreadLimitWarnings(const SpecificationList& list, const QString& productsIniPath, const QString& product);

// The first name of the product's configuration that goes into SQL text but cannot (see
// IsUsableSqlName): TableName and the column keys of its section, then the parameter columns of
// its Spec lines, which the query builder encloses itself and so may hold no brackets at all.
// The message names the value, key, section and file; "" when every name can be used.
QString UnusableSqlConfiguration(const QString& productsIniPath, const QString& product);

// A limit as the limit boxes show it: "N/A" for the sentinel none (or anything that does not read
// back as a number), else the plain number text.
QString LimitText(double limit, double none);

// Whether a limit is the sentinel for "no limit" (also when configured as exactly that number).
inline bool IsNoUSL(double usl)
{
    return usl == kNoUSL;
}
inline bool IsNoLSL(double lsl)
{
    return lsl == kNoLSL;
}
