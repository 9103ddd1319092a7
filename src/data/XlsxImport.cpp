#include "XlsxImport.h"

#include "SerialDateTime.h"
#include "TypedRows.h"
#include "XlsxPackage.h"
#include "XlsxSheetCells.h"
#include "XlsxWorkbook.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// The days from Excel's 1904 date system to its 1900 one.
constexpr int k1904Offset = 1462;

// 54 -> "BC".
QString columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return name;
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
// value. The cells are read on a thread of their own (XlsxSheetCells) while this one reads the
// shared strings and then writes the rows.
class SheetImport
{
public:
    SheetImport(XlsxWorkbook& workbook, const XlsxPackage& package, const QString& sheet, QSqlDatabase& target,
                const QString& targetName, std::optional<std::vector<bool>> realColumns)
        : m_workbook(workbook), m_package(package), m_sheet(sheet), m_writer(target), m_targetName(targetName),
          m_realColumns(std::move(realColumns))
    {
    }

    QString run(const QString& part, bool readSharedStrings);
    bool typesHeld() const { return !m_rows || m_rows->typesHeld(); }
    std::vector<bool> foundRealColumns() const { return m_rows->foundRealColumns(); }
    QString commit() { return m_writer.commit(); }

private:
    QString takeCell(const XlsxRowBatch& batch, const XlsxRowBatch::Cell& cell, int row);
    QString takeRow(const XlsxRowBatch& batch, const XlsxRowBatch::Row& row, int number);
    QString cellProblem(int column, int row, const char* what) const
    {
        return m_package.damaged(QStringLiteral("cell %1%2 of worksheet '%3' %4")
                                     .arg(columnName(column))
                                     .arg(row)
                                     .arg(m_sheet, QLatin1String(what)));
    }

    XlsxWorkbook& m_workbook;
    const XlsxPackage& m_package;
    const QString m_sheet;
    TableWriter m_writer;
    const QString m_targetName;
    std::optional<std::vector<bool>> m_realColumns;
    std::optional<TypedRows> m_rows;

    QStringList m_names; // empty until the header row is read
    std::vector<ImportedCell> m_row;
    std::vector<std::string> m_texts; // text made here for the cells of the current row
};

QString SheetImport::takeCell(const XlsxRowBatch& batch, const XlsxRowBatch::Cell& c, int row)
{
    const size_t column = size_t(c.column);
    if (m_names.isEmpty() && column >= m_row.size()) {
        m_row.resize(column + 1); // the header row decides how many columns there are
        m_texts.resize(m_row.size());
    }
    if (column >= m_row.size()) {
        return {};
    }
    const QStringView value = batch.text(c);
    ImportedCell& cell = m_row[column];
    std::string& text = m_texts[column];
    cell = ImportedCell();
    const auto setText = [&cell, &text](QStringView written) {
        text = written.toString().toStdString();
        if (!text.empty()) {
            cell = ImportedCell::textOf(text.data(), int(text.size()));
        }
    };
    switch (c.type) {
    case XlsxCellType::SharedString: {
        bool ok = false;
        const qlonglong index = value.toLongLong(&ok);
        if (!ok || index < 0 || size_t(index) >= m_workbook.sharedStrings.size()) {
            return cellProblem(c.column, row, "names a shared string the workbook lacks");
        }
        const QByteArray& shared = m_workbook.sharedStrings[size_t(index)];
        if (!shared.isEmpty()) {
            cell = ImportedCell::textOf(shared.constData(), int(shared.size()));
        }
        break;
    }
    case XlsxCellType::InlineString:
    case XlsxCellType::FormulaString:
        setText(value);
        break;
    case XlsxCellType::IsoDate: {
        const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODate);
        setText(date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : value.toString());
        break;
    }
    case XlsxCellType::Boolean:
        cell = ImportedCell::numberOf(value == QLatin1String("1") ? 1 : 0);
        break;
    case XlsxCellType::Error:
        break; // #N/A, #DIV/0! ...: Null
    case XlsxCellType::Number: {
        const std::optional<double> number = numberOf(value);
        if (!number) {
            return cellProblem(c.column, row, "holds no number");
        }
        const size_t style = size_t(c.style);
        if (style >= m_workbook.dateStyles.size() || !m_workbook.dateStyles[style]) {
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
    return {};
}

QString SheetImport::takeRow(const XlsxRowBatch& batch, const XlsxRowBatch::Row& row, int number)
{
    m_row.assign(size_t(m_names.size()), ImportedCell()); // before the header: as many as it has cells
    bool hasValue = false;
    for (size_t i = row.firstCell; i < row.endCell; ++i) {
        const QString problem = takeCell(batch, batch.cells[i], number);
        if (!problem.isEmpty()) {
            return problem;
        }
        const size_t column = size_t(batch.cells[i].column);
        hasValue = hasValue || (column < m_row.size() && m_row[column].kind != ImportedCell::Kind::Null);
    }
    if (!hasValue) {
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

QString SheetImport::run(const QString& part, bool readSharedStrings)
{
    XlsxSheetCells cells(m_package, part);
    QString error;
    if (readSharedStrings && !m_workbook.readSharedStrings(error)) {
        return error;
    }
    int number = 0;
    while (const std::unique_ptr<XlsxRowBatch> batch = cells.next()) {
        for (const XlsxRowBatch::Row& row : batch->rows) {
            number = row.number > 0 ? row.number : number + 1;
            error = takeRow(*batch, row, number);
            if (!error.isEmpty()) {
                return error;
            }
        }
    }
    error = cells.error();
    if (!error.isEmpty()) {
        return error;
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
        error = import.run(sheet->part, !realColumns);
        if (!error.isEmpty()) {
            return error;
        }
        if (import.typesHeld()) {
            return import.commit();
        }
        realColumns = import.foundRealColumns();
    }
}
