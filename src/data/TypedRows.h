#pragma once

#include "TableWriter.h"

#include <QString>
#include <string>
#include <vector>

// One value of a worksheet or a log file as its reader found it. Text (a date-time already as
// ISO text) is UTF-8 and stays in place until the row is written; a number may carry the text
// it was written as, which a text column keeps.
struct ImportedCell
{
    enum class Kind
    {
        Null,
        Number,
        Text
    };
    Kind kind = Kind::Null;
    double number = 0;
    const char* text = nullptr;
    int length = 0;

    static ImportedCell numberOf(double value, const char* written = nullptr, int length = 0)
    {
        return {Kind::Number, value, written, length};
    }
    static ImportedCell textOf(const char* utf8, int length) { return {Kind::Text, 0, utf8, length}; }
};

// The rows of a sheet or log whose columns take their types from the values, as a worksheet's
// copy does: a column is REAL when every value in it is a number, else text without case, a
// number in it written as text. A reader that streams cannot know the types before the last row:
// it guesses them from the first row (GuessRealColumns), writes every row, and when a guess did
// not hold (a text in a column guessed REAL) writes the table again with the types found.
class TypedRows
{
public:
    // realColumns: the types the table is created with, one per column.
    TypedRows(TableWriter& writer, std::vector<bool> realColumns);

    // A column is guessed REAL when its first value is a number or is missing.
    static std::vector<bool> GuessRealColumns(const std::vector<ImportedCell>& firstRow);
    // The declared types of the columns, named.
    static QList<TargetColumn> Definitions(const QStringList& names, const std::vector<bool>& realColumns);

    // Binds the row's cells, one per column, and writes the row.
    QString insert(const std::vector<ImportedCell>& row);

    // Whether every column's type held for every row written so far.
    bool typesHeld() const;
    // The types the values written so far call for.
    std::vector<bool> foundRealColumns() const;

private:
    TableWriter& m_writer;
    std::vector<bool> m_real;
    std::vector<bool> m_sawText;
    std::vector<std::string> m_numberTexts; // numbers written into text columns
};

// A number in its shortest form that reads back as the same double ("0.1", "1e+100").
std::string ShortestNumberText(double value);
