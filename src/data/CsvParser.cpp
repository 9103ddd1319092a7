#include "CsvParser.h"

#include <array>

CsvParser::CsvParser(std::string_view data) : m_data(data)
{
    if (m_data.substr(0, 3) == "\xEF\xBB\xBF") {
        m_at = 3;
    }
}

char CsvParser::detectDelimiter()
{
    constexpr std::array<char, 3> candidates{',', ';', '\t'};
    std::array<int, 3> counts{};
    bool quoted = false;
    for (size_t i = m_at; i < m_data.size() && (quoted || m_data[i] != '\n'); ++i) {
        if (m_data[i] == '"') {
            quoted = !quoted;
        }
        for (size_t c = 0; c < candidates.size() && !quoted; ++c) {
            counts[c] += m_data[i] == candidates[c] ? 1 : 0;
        }
    }
    size_t best = 0;
    for (size_t c = 1; c < candidates.size(); ++c) {
        if (counts[c] > counts[best]) {
            best = c;
        }
    }
    m_delimiter = candidates[best];
    return m_delimiter;
}

CsvParser::Result CsvParser::next(std::vector<std::string_view>& fields)
{
    fields.clear();
    size_t used = 0; // buffers of m_unquoted in use by this record
    // Blank lines are no records.
    while (m_at < m_data.size() && (m_data[m_at] == '\n' || m_data.substr(m_at, 2) == "\r\n")) {
        m_at += m_data[m_at] == '\n' ? 1 : 2;
        ++m_line;
    }
    if (m_at >= m_data.size()) {
        return Result::End;
    }
    m_recordLine = m_line;
    for (;;) {
        if (m_at < m_data.size() && m_data[m_at] == '"') {
            // A quoted field: up to the quote that is not written twice.
            const size_t start = ++m_at;
            const int opened = m_line;
            bool doubled = false;
            size_t close = m_at;
            for (;; ++close) {
                if (close >= m_data.size()) {
                    m_recordLine = opened;
                    return Result::UnclosedQuote;
                }
                if (m_data[close] == '\n') {
                    ++m_line;
                } else if (m_data[close] == '"') {
                    if (close + 1 < m_data.size() && m_data[close + 1] == '"') {
                        doubled = true;
                        ++close;
                    } else {
                        break;
                    }
                }
            }
            std::string_view field = m_data.substr(start, close - start);
            m_at = close + 1;
            // Text after the closing quote, up to the delimiter, belongs to the field.
            size_t tail = m_at;
            while (tail < m_data.size() && m_data[tail] != m_delimiter && m_data[tail] != '\n' &&
                   m_data.substr(tail, 2) != "\r\n") {
                ++tail;
            }
            if (doubled || tail > m_at) {
                if (used == m_unquoted.size()) {
                    m_unquoted.emplace_back();
                }
                std::string& buffer = m_unquoted[used++];
                buffer.clear();
                for (size_t i = 0; i < field.size(); ++i) {
                    buffer += field[i];
                    i += field[i] == '"' ? 1 : 0;
                }
                buffer.append(m_data.substr(m_at, tail - m_at));
                field = buffer;
            }
            m_at = tail;
            fields.push_back(field);
        } else {
            size_t end = m_at;
            while (end < m_data.size() && m_data[end] != m_delimiter && m_data[end] != '\n') {
                ++end;
            }
            size_t stop = end;
            if (end < m_data.size() && m_data[end] == '\n' && stop > m_at && m_data[stop - 1] == '\r') {
                --stop;
            }
            fields.push_back(m_data.substr(m_at, stop - m_at));
            m_at = end;
        }
        if (m_at >= m_data.size()) {
            return Result::Record;
        }
        if (m_data[m_at] == m_delimiter) {
            ++m_at;
            continue;
        }
        // The end of the line: LF, or CR LF after a quoted field.
        m_at += m_data[m_at] == '\r' ? 2 : 1;
        ++m_line;
        return Result::Record;
    }
}
