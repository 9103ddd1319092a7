#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// Splits the text of a CSV file into records of fields, as RFC 4180 writes them: fields separated
// by the delimiter, records by CR LF or LF; a field in double quotes may hold the delimiter, line
// breaks, and a double quote written twice. A UTF-8 byte-order mark at the start is skipped, and
// so are blank lines. A quote inside an unquoted field, and text after a closing quote, are taken
// as they stand.
class CsvParser
{
public:
    // data stays in place as long as the parser and the fields it hands out are used.
    explicit CsvParser(std::string_view data);

    // The delimiter the first line uses: the most frequent of ',', ';' and tab outside quotes
    // (a comma when there is none). The parser then splits with it.
    char detectDelimiter();

    enum class Result
    {
        Record,
        End,
        UnclosedQuote // the quoted field opened on line() runs to the end of the file
    };
    // The next record. Its fields are views into the data, or into buffers of the parser for
    // fields with doubled quotes, valid until the next call.
    Result next(std::vector<std::string_view>& fields);
    // The line (from 1) on which the record last returned begins, or on which the quote that is
    // not closed opens.
    int line() const { return m_recordLine; }

private:
    std::string_view m_data;
    size_t m_at = 0;
    char m_delimiter = ',';
    int m_line = 1;
    int m_recordLine = 1;
    std::deque<std::string> m_unquoted; // one per field that needed its quotes undone
};
