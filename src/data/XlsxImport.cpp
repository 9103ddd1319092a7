#include "XlsxImport.h"

#include "SerialDateTime.h"
#include "TypedRows.h"
#include "XlsxPackage.h"
#include "XlsxWorkbook.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// The days from Excel's 1904 date system to its 1900 one.
constexpr int k1904Offset = 1462;

// "BC12" -> 54 (A is 0); -1 when the reference names no column.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
        if (column > 16384) { // beyond Excel's last column XFD
            return -1;
        }
    }
    return i == 0 ? -1 : column - 1;
}

// 54 -> "BC".
QString columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return name;
}

// The kinds of value a cell's t attribute names.
enum class CellType
{
    Number, // also a date when its style shows one
    SharedString,
    InlineString,
    FormulaString,
    Boolean,
    Error,
    IsoDate
};

CellType cellTypeOf(QStringView t)
{
    if (t == QLatin1String("s")) {
        return CellType::SharedString;
    }
    if (t == QLatin1String("inlineStr")) {
        return CellType::InlineString;
    }
    if (t == QLatin1String("str")) {
        return CellType::FormulaString;
    }
    if (t == QLatin1String("b")) {
        return CellType::Boolean;
    }
    if (t == QLatin1String("e")) {
        return CellType::Error;
    }
    return t == QLatin1String("d") ? CellType::IsoDate : CellType::Number;
}

// A number as a cell's value writes it: plain C notation.
std::optional<double> numberOf(QStringView text)
{
    char digits[64];
    if (text.isEmpty() || text.size() >= qsizetype(sizeof digits)) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        digits[i] = char(text[i].unicode() < 128 ? text[i].unicode() : '?');
    }
    double value = 0;
    const char* end = digits + text.size();
    const auto parsed = std::from_chars(digits, end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// One pass over a worksheet's cells into the table: the header row first, then each row with a
// value. A cell's value is taken when its element ends, a row's when the row ends.
class SheetImport
{
public:
    SheetImport(const XlsxWorkbook& workbook, const XlsxPackage& package, const QString& sheet, QSqlDatabase& target,
                const QString& targetName, std::optional<std::vector<bool>> realColumns)
        : m_workbook(workbook), m_package(package), m_sheet(sheet), m_writer(target), m_targetName(targetName),
          m_realColumns(std::move(realColumns))
    {
    }

    QString run(const QString& part);
    bool typesHeld() const { return !m_rows || m_rows->typesHeld(); }
    std::vector<bool> foundRealColumns() const { return m_rows->foundRealColumns(); }
    QString commit() { return m_writer.commit(); }

private:
    void startElement(const QXmlStreamReader& xml);
    void endElement(QStringView name);
    void takeCell();
    QString takeRow();
    QString cellProblem(const char* what) const
    {
        return m_package.damaged(QStringLiteral("cell %1%2 of worksheet '%3' %4")
                                     .arg(columnName(m_column))
                                     .arg(m_rowNumber)
                                     .arg(m_sheet, QLatin1String(what)));
    }

    const XlsxWorkbook& m_workbook;
    const XlsxPackage& m_package;
    const QString m_sheet;
    TableWriter m_writer;
    const QString m_targetName;
    std::optional<std::vector<bool>> m_realColumns;
    std::optional<TypedRows> m_rows;

    QStringList m_names; // empty until the header row is read
    std::vector<ImportedCell> m_row;
    std::vector<std::string> m_texts; // text made here for the cells of the current row
    bool m_rowHasValue = false;
    int m_rowNumber = 0;
    QString m_problem;

    // The cell being read.
    int m_column = -1;
    CellType m_type = CellType::Number;
    int m_style = 0;
    QString m_value; // of its <v>, or its inline string's <t>s
    bool m_inValue = false;
    bool m_hasValue = false;
};

void SheetImport::startElement(const QXmlStreamReader& xml)
{
    const QStringView name = xml.name();
    if (name == QLatin1String("c")) {
        const QXmlStreamAttributes& a = xml.attributes();
        const QStringView reference = a.value(QLatin1String("r"));
        m_column = reference.isEmpty() ? m_column + 1 : columnOf(reference);
        m_type = cellTypeOf(a.value(QLatin1String("t")));
        m_style = a.value(QLatin1String("s")).toInt();
        m_value.clear();
        m_hasValue = false;
    } else if (name == QLatin1String("v") || (name == QLatin1String("t") && m_type == CellType::InlineString)) {
        m_inValue = true;
        m_hasValue = true;
    } else if (name == QLatin1String("row")) {
        const QStringView number = xml.attributes().value(QLatin1String("r"));
        m_rowNumber = number.isEmpty() ? m_rowNumber + 1 : number.toInt();
        m_column = -1;
        m_rowHasValue = false;
        m_row.assign(size_t(m_names.size()), ImportedCell()); // before the header: as many as it has cells
    }
}

void SheetImport::endElement(QStringView name)
{
    if (name == QLatin1String("v") || name == QLatin1String("t")) {
        m_inValue = false;
    } else if (name == QLatin1String("c")) {
        takeCell();
    } else if (name == QLatin1String("row") && m_problem.isEmpty()) {
        m_problem = takeRow();
    }
}

void SheetImport::takeCell()
{
    if (!m_hasValue || m_column < 0 || !m_problem.isEmpty()) {
        return;
    }
    if (m_names.isEmpty() && size_t(m_column) >= m_row.size()) {
        m_row.resize(size_t(m_column) + 1); // the header row decides how many columns there are
        m_texts.resize(m_row.size());
    }
    if (size_t(m_column) >= m_row.size()) {
        return;
    }
    ImportedCell& cell = m_row[size_t(m_column)];
    std::string& text = m_texts[size_t(m_column)];
    cell = ImportedCell();
    const auto setText = [&cell, &text](const QString& value) {
        text = value.toStdString();
        if (!text.empty()) {
            cell = ImportedCell::textOf(text.data(), int(text.size()));
        }
    };
    switch (m_type) {
    case CellType::SharedString: {
        bool ok = false;
        const qsizetype index = m_value.toLongLong(&ok);
        if (!ok || index < 0 || size_t(index) >= m_workbook.sharedStrings.size()) {
            m_problem = cellProblem("names a shared string the workbook lacks");
            return;
        }
        const QByteArray& shared = m_workbook.sharedStrings[size_t(index)];
        if (!shared.isEmpty()) {
            cell = ImportedCell::textOf(shared.constData(), int(shared.size()));
        }
        break;
    }
    case CellType::InlineString:
    case CellType::FormulaString:
        setText(m_value);
        break;
    case CellType::IsoDate: {
        const QDateTime date = QDateTime::fromString(m_value, Qt::ISODate);
        setText(date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : m_value);
        break;
    }
    case CellType::Boolean:
        cell = ImportedCell::numberOf(m_value == QLatin1String("1") ? 1 : 0);
        break;
    case CellType::Error:
        break; // #N/A, #DIV/0! ...: Null
    case CellType::Number: {
        const std::optional<double> number = numberOf(m_value);
        if (!number) {
            m_problem = cellProblem("holds no number");
            return;
        }
        const bool date = size_t(m_style) < m_workbook.dateStyles.size() && m_workbook.dateStyles[size_t(m_style)];
        if (!date) {
            cell = ImportedCell::numberOf(*number);
            break;
        }
        text.resize(kIsoDateTimeLength);
        if (WriteIsoDateTime(*number + (m_workbook.date1904 ? k1904Offset : 0), text.data())) {
            cell = ImportedCell::textOf(text.data(), kIsoDateTimeLength);
        }
        break;
    }
    }
    m_rowHasValue = m_rowHasValue || cell.kind != ImportedCell::Kind::Null;
}

QString SheetImport::takeRow()
{
    if (!m_rowHasValue) {
        return {}; // formatted only, or before the header
    }
    if (m_names.isEmpty()) {
        for (size_t c = 0; c < m_row.size(); ++c) {
            const ImportedCell& cell = m_row[c];
            QString name = cell.kind == ImportedCell::Kind::Text ? QString::fromUtf8(cell.text, cell.length)
                           : cell.kind == ImportedCell::Kind::Number
                               ? QString::fromStdString(ShortestNumberText(cell.number))
                               : QString();
            if (name.isEmpty() || m_names.contains(name, Qt::CaseInsensitive)) {
                name = QStringLiteral("F%1").arg(c + 1);
            }
            m_names.append(name);
        }
        return {};
    }
    if (!m_rows) {
        const std::vector<bool> real = m_realColumns ? *m_realColumns : TypedRows::GuessRealColumns(m_row);
        const QString error = m_writer.create(m_targetName, TypedRows::Definitions(m_names, real));
        if (!error.isEmpty()) {
            return error;
        }
        m_rows.emplace(m_writer, real);
    }
    return m_rows->insert(m_row);
}

QString SheetImport::run(const QString& part)
{
    QXmlStreamReader xml;
    QString error;
    const bool read = m_package.stream(
        part,
        [&](const char* data, qint64 size) {
            xml.addData(QByteArray(data, size));
            while (!xml.atEnd() && m_problem.isEmpty()) {
                switch (xml.readNext()) {
                case QXmlStreamReader::StartElement:
                    startElement(xml);
                    break;
                case QXmlStreamReader::EndElement:
                    endElement(xml.name());
                    break;
                case QXmlStreamReader::Characters:
                    if (m_inValue) {
                        m_value += xml.text();
                    }
                    break;
                default:
                    break;
                }
            }
            return m_problem.isEmpty() &&
                   (!xml.hasError() || xml.error() == QXmlStreamReader::PrematureEndOfDocumentError);
        },
        error);
    if (!read) {
        return error;
    }
    if (!m_problem.isEmpty()) {
        return m_problem;
    }
    if (xml.hasError()) {
        return m_package.damaged(QStringLiteral("its part '%1' is %2").arg(part, XmlErrorText(xml)));
    }
    if (!m_rows) { // a header without records, or an empty sheet: the columns are text
        if (m_names.isEmpty()) {
            m_names.append(QStringLiteral("F1"));
        }
        return m_writer.create(m_targetName,
                               TypedRows::Definitions(m_names, std::vector<bool>(size_t(m_names.size()), false)));
    }
    return {};
}

} // namespace

QString ImportXlsxSheet(const QString& xlsxPath, const QString& sheetName, QSqlDatabase& target,
                        const QString& targetName)
{
    const QString notExcel = QStringLiteral("External table is not in the expected format.");
    XlsxPackage package;
    XlsxWorkbook workbook;
    QString error;
    bool notWorkbook = false;
    if (!package.open(xlsxPath, error, notWorkbook) || !workbook.read(package, error, notWorkbook)) {
        return notWorkbook ? notExcel : error;
    }
    const auto sheet =
        std::find_if(workbook.sheets.cbegin(), workbook.sheets.cend(),
                     [&](const XlsxWorkbook::Sheet& s) { return s.name.compare(sheetName, Qt::CaseInsensitive) == 0; });
    if (sheet == workbook.sheets.cend()) {
        return QStringLiteral("'%1$' is not a valid name.  Make sure that it does not include invalid characters or "
                              "punctuation and that it is not too long.")
            .arg(sheetName);
    }
    // A guess of the column types that does not hold costs a second pass with the types found.
    std::optional<std::vector<bool>> realColumns;
    for (;;) {
        SheetImport import(workbook, package, sheet->name, target, targetName, realColumns);
        error = import.run(sheet->part);
        if (!error.isEmpty()) {
            return error;
        }
        if (import.typesHeld()) {
            return import.commit();
        }
        realColumns = import.foundRealColumns();
    }
}
