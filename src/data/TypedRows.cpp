#include "TypedRows.h"

#include <charconv>

std::string ShortestNumberText(double value)
{
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

TypedRows::TypedRows(TableWriter& writer, std::vector<bool> realColumns)
    : m_writer(writer), m_real(std::move(realColumns)), m_sawText(m_real.size(), false), m_numberTexts(m_real.size())
{
}

std::vector<bool> TypedRows::GuessRealColumns(const std::vector<ImportedCell>& firstRow)
{
    std::vector<bool> real;
    real.reserve(firstRow.size());
    for (const ImportedCell& cell : firstRow) {
        real.push_back(cell.kind != ImportedCell::Kind::Text);
    }
    return real;
}

QList<TargetColumn> TypedRows::Definitions(const QStringList& names, const std::vector<bool>& realColumns)
{
    QList<TargetColumn> definitions;
    for (qsizetype i = 0; i < names.size(); ++i) {
        definitions.append({names[i], realColumns[size_t(i)] ? kRealColumn : kNoCaseTextColumn});
    }
    return definitions;
}

QString TypedRows::insert(const std::vector<ImportedCell>& row)
{
    for (size_t c = 0; c < m_real.size(); ++c) {
        const ImportedCell& cell = row[c];
        const int column = int(c);
        switch (cell.kind) {
        case ImportedCell::Kind::Null:
            m_writer.bindNull(column);
            break;
        case ImportedCell::Kind::Number:
            if (m_real[c]) {
                m_writer.bindReal(column, cell.number);
            } else if (cell.text) {
                m_writer.bindText(column, cell.text, cell.length);
            } else {
                m_numberTexts[c] = ShortestNumberText(cell.number);
                m_writer.bindText(column, m_numberTexts[c].data(), int(m_numberTexts[c].size()));
            }
            break;
        case ImportedCell::Kind::Text:
            m_sawText[c] = true;
            m_writer.bindText(column, cell.text, cell.length);
            break;
        }
    }
    return m_writer.insertRow();
}

bool TypedRows::typesHeld() const
{
    for (size_t c = 0; c < m_real.size(); ++c) {
        if (m_real[c] && m_sawText[c]) {
            return false;
        }
    }
    return true;
}

std::vector<bool> TypedRows::foundRealColumns() const
{
    std::vector<bool> real(m_real.size());
    for (size_t c = 0; c < m_real.size(); ++c) {
        real[c] = m_real[c] && !m_sawText[c];
    }
    return real;
}
