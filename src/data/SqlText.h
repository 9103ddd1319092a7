#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// A date-time literal as a statement writes it, delimiters included ("#03/01/24 00:00:01 am#" or
// "'03/01/24 00:00:01 am'"), and the wall-clock date-time it stands for (in UTC, which keeps the
// fields as they are).
struct DateLiteral
{
    QString text;
    QDateTime dateTime;
};

// The program's SQL text with the date literals written into it. A dialect that needs dates in
// another form rewrites each literal from its date-time, never by reading the text back: the
// text's two-digit years cannot say which century they mean.
struct SqlText
{
    QString text;
    QList<DateLiteral> dates;

    SqlText() = default;
    // A statement without date literals. Implicit, so that such statements are passed as text.
    SqlText(QString sql) : text(std::move(sql)) {}
    SqlText(QString sql, QList<DateLiteral> literals) : text(std::move(sql)), dates(std::move(literals)) {}

    bool isEmpty() const { return text.isEmpty(); }
};
