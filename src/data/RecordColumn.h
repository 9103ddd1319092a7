#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

// One field of a query's rows. Values are kept by kind: numbers as doubles, date-times as day
// and second numbers, text as strings; a column whose values are of mixed kinds keeps them as
// variants. Text that reads as "YYYY-MM-DD HH:MM:SS" in a column that holds no other text is
// kept as a date-time (the SQLite engines store date-times as such text).
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
    std::vector<qint64> days; // Julian day numbers
    std::vector<int> seconds; // seconds of the day
    std::vector<QString> texts;
    std::vector<QVariant> mixed;
    std::vector<bool> nulls;

    // An empty column that keeps the kind `previous` settled on, so that the rows of one field
    // are read alike however they are split.
    static RecordColumn following(const RecordColumn& previous);

    void appendNull();
    void appendNumber(double value);
    void appendDateTime(qint64 day, int second);
    // Text that may be a date-time (see above), given by its UTF-8 (char) or UTF-16 (char16_t)
    // code units.
    template <typename Unit> void appendTextOrDateTime(const Unit* units, int size, class TextInterner& interner);
    void reserve(qsizetype rows);

    qint64 size() const { return static_cast<qint64>(nulls.size()); }
    QVariant at(qint64 row) const;
    // The text of a row (empty for Null), without a QVariant for text fields.
    QString text(qint64 row) const;
    // The date-time of a row as (Julian day, second of the day); false when it holds none.
    bool dateTimeParts(qint64 row, qint64& day, int& second) const;

private:
    // Makes the column of the wanted kind when it has none yet; false when it holds another
    // kind (it then keeps variants).
    bool settle(Kind wanted);
    void demoteToMixed();
    void appendPlainText(const QString& text);
};

// Repeated texts of one field (sources, verdicts, test IDs) share one string, while there are
// few distinct ones; a field of mostly distinct values (serial numbers) stops being looked up.
class TextInterner
{
public:
    template <typename Unit> QString text(const Unit* units, int size);

private:
    static constexpr qsizetype kMostShared = 64;
    QHash<QByteArray, QString> m_shared;
    bool m_sharing = true;
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
