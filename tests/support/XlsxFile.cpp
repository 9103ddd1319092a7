#include "XlsxFile.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <zip.h>

namespace {

QString columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return name;
}

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

// The styles: 0 General, 1 the date-time format 164, 2 built-in date 14, 3 built-in percentage 10.
const QByteArray kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd hh:mm:ss\"/></numFmts>"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
    "<borders count=\"1\"><border/></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"10\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

class SharedStrings
{
public:
    int indexOf(const QString& text)
    {
        if (!m_index.contains(text)) {
            m_index.insert(text, int(m_texts.size()));
            m_texts.append(text);
        }
        return m_index.value(text);
    }
    QByteArray part() const
    {
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
                         QByteArray::number(m_texts.size()) + "\" uniqueCount=\"" + QByteArray::number(m_texts.size()) +
                         "\">";
        for (const QString& text : m_texts) {
            xml += "<si><t xml:space=\"preserve\">" + escaped(text) + "</t></si>";
        }
        return xml + "</sst>";
    }

private:
    QHash<QString, int> m_index;
    QStringList m_texts;
};

// The attributes that follow a cell's reference, by kind; the rest have none.
const QHash<QByteArray, QByteArray> kCellAttributes{
    {"s", " t=\"s\""}, {"is", " t=\"inlineStr\""}, {"d", " s=\"1\""},    {"d14", " s=\"2\""}, {"p", " s=\"3\""},
    {"b", " t=\"b\""}, {"e", " t=\"e\""},          {"fs", " t=\"str\""}, {"iso", " t=\"d\""}};

QByteArray cellXml(const QString& spec, const QByteArray& reference, SharedStrings& strings)
{
    const qsizetype colon = spec.indexOf(QLatin1Char(':'));
    const QString kind = spec.left(colon);
    const QString value = spec.mid(colon + 1);
    if (kind == QLatin1String("x")) {
        return value.toUtf8();
    }
    const QByteArray v = "<v>" + escaped(value) + "</v>";
    const QByteArray content = kind == QLatin1String("s") ? "<v>" + QByteArray::number(strings.indexOf(value)) + "</v>"
                               : kind == QLatin1String("is") ? "<is><t>" + escaped(value) + "</t></is>"
                               : kind == QLatin1String("fn") ? "<f>1+1</f>" + v
                               : kind == QLatin1String("fs") ? "<f>A1&amp;\"\"</f>" + v
                                                             : v;
    const QByteArray r = reference.isEmpty() ? QByteArray() : " r=\"" + reference + "\"";
    return "<c" + r + kCellAttributes.value(kind.toLatin1()) + ">" + content + "</c>";
}

QByteArray sheetXml(const XlsxSheet& sheet, const XlsxOptions& options, SharedStrings& strings)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                     "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
                     "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData>";
    for (qsizetype row = 0; row < sheet.rows.size(); ++row) {
        const QByteArray number = QByteArray::number(row + 1);
        xml += options.cellReferences ? "<row r=\"" + number + "\">" : QByteArray("<row>");
        const QStringList& cells = sheet.rows[row];
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (!cells[c].isEmpty()) {
                const QByteArray reference =
                    options.cellReferences ? columnName(int(c)).toLatin1() + number : QByteArray();
                xml += cellXml(cells[c], reference, strings);
            } else if (!options.cellReferences) {
                xml += "<c/>"; // without references an empty cell keeps the place of the next ones
            }
        }
        xml += options.lineBreaks ? "</row>\n" : "</row>";
    }
    return xml + "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
                 "footer=\"0.3\"/></worksheet>";
}

} // namespace

bool WriteXlsx(const QString& path, const QList<XlsxSheet>& sheets, const XlsxOptions& options)
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const QByteArray relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray packageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";
    const auto relationship = [&relationships](const QByteArray& id, const char* type, const QByteArray& target) {
        return "<Relationship Id=\"rId" + id + "\" Type=\"" + relationships + "/" + type + "\" Target=\"" + target +
               "\"/>";
    };
    const auto override = [](const QByteArray& part, const char* type) {
        return "<Override PartName=\"/xl/" + part +
               "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml." + type + "+xml\"/>";
    };
    QList<std::pair<QByteArray, QByteArray>> parts;
    QByteArray types = head +
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/"
                       "vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
                       override("workbook.xml", "sheet.main");
    QByteArray workbook = head +
                          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"" +
                          relationships + "\"><workbookPr" + (options.date1904 ? " date1904=\"1\"" : "") +
                          "/><bookViews><workbookView/></bookViews><sheets>";
    QByteArray workbookRelationships = head + "<Relationships xmlns=\"" + packageRelationships + "\">";
    SharedStrings strings;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        parts.append({"xl/worksheets/sheet" + n + ".xml", sheetXml(sheets[i], options, strings)});
        types += override("worksheets/sheet" + n + ".xml", "worksheet");
        workbook += "<sheet name=\"" + escaped(sheets[i].name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        workbookRelationships += relationship(n, "worksheet", "worksheets/sheet" + n + ".xml");
    }
    workbookRelationships += relationship(QByteArray::number(sheets.size() + 1), "styles", "styles.xml") +
                             relationship(QByteArray::number(sheets.size() + 2), "sharedStrings", "sharedStrings.xml") +
                             "</Relationships>";
    types += override("styles.xml", "styles") + override("sharedStrings.xml", "sharedStrings") + "</Types>";
    parts.prepend({"[Content_Types].xml", types});
    parts.append({"_rels/.rels", head + "<Relationships xmlns=\"" + packageRelationships + "\">" +
                                     relationship("1", "officeDocument", "xl/workbook.xml") + "</Relationships>"});
    parts.append({"xl/workbook.xml", workbook + "</sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels", workbookRelationships});
    parts.append({"xl/styles.xml", kStyles});
    parts.append({"xl/sharedStrings.xml", strings.part()});

    QFile::remove(path);
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!archive) {
        return false;
    }
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0; // compresses and writes the parts, which live until here
}

double ExcelSerial(const QString& isoDateTime)
{
    const QDateTime at = QDateTime::fromString(isoDateTime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return double(base.date().daysTo(at.date())) + at.time().msecsSinceStartOfDay() / 86400000.0;
}
