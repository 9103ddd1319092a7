#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

// One field of a query's rows. Values are kept by kind: numbers as doubles, date-times as day
// and second numbers, text as its UTF-8 bytes, one value after another (the form the SQLite
// engines hand it out and compare it in; a QString is made only for a value asked for as one); a
// column whose values are of mixed kinds keeps them as variants. Text that reads as "YYYY-MM-DD HH:MM:SS" in a column
// that holds no other text is kept as a date-time (the SQLite engines store date-times as such text).
struct RecordColumn
{
    enum class Kind
    {
        Unknown,
        Number,
        DateTime,
        Text,
        Mixed
    };
    Kind kind = Kind::Unknown;
    std::vector<double> numbers;
    std::vector<qint64> days;      // Julian day numbers
    std::vector<int> seconds;      // seconds of the day
    std::string utf8;              // Text: the values' UTF-8, one after another
    std::vector<quint32> textEnds; // Text: where each row's text ends in utf8 (a Null's is empty)
    std::vector<QVariant> mixed;
    std::vector<bool> nulls;
    // The forms of the texts read as date-times (DateForm bits): texts of one form sort as their
    // date-times do, texts of several forms do not.
    quint8 dateForms = 0;

    enum DateForm : quint8
    {
        DateOnly = 1,   // "YYYY-MM-DD"
        SpacedTime = 2, // "YYYY-MM-DD HH:MM:SS"
        TTime = 4       // "YYYY-MM-DDTHH:MM:SS"
    };

    // An empty column that keeps the kind `previous` settled on, so that the rows of one field
    // are read alike however they are split.
    static RecordColumn following(const RecordColumn& previous);

    void appendNull();
    void appendNumber(double value);
    void appendDateTime(qint64 day, int second);
    // Text that may be a date-time (see above), given by its UTF-8 (char) or UTF-16 (char16_t)
    // code units.
    template <typename Unit> void appendTextOrDateTime(const Unit* units, int size);
    void reserve(qsizetype rows);

    qint64 size() const { return static_cast<qint64>(nulls.size()); }
    QVariant at(qint64 row) const;
    // The text of a row (empty for Null), without a QVariant for text fields.
    QString text(qint64 row) const;
    // The UTF-8 of a text row (empty for Null); Text columns only.
    QByteArrayView utf8Text(qint64 row) const
    {
        const auto r = static_cast<size_t>(row);
        const quint32 start = r == 0 ? 0 : textEnds[r - 1];
        return QByteArrayView(utf8.data() + start, textEnds[r] - start);
    }
    // The date-time of a row as (Julian day, second of the day); false when it holds none.
    bool dateTimeParts(qint64 row, qint64& day, int& second) const;

private:
    // Makes the column of the wanted kind when it has none yet; false when it holds another
    // kind (it then keeps variants).
    bool settle(Kind wanted);
    void demoteToMixed();
    void appendPlainText(QByteArrayView utf8Text);
};

// A stored date-time: its fields are the wall-clock time as recorded. It is built in UTC, which
// keeps the fields as they are and spares the time-zone lookup that a local time costs for
// every value.
QDateTime WallClock(qint64 julianDay, int secondOfDay);

// Reads "YYYY-MM-DD HH:MM:SS" (or "YYYY-MM-DD", or with a 'T') as a date-time; invalid when
// the text is not of that form.
QDateTime ParseIsoDateTime(const QString& text);

// The Julian day number of a Gregorian date, as QDate counts it, without building a QDate.
qint64 JulianDay(int year, int month, int day);
