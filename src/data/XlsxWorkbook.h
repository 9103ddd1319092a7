#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <vector>

class XlsxPackage;
class QXmlStreamReader;

// What the cells of an .xlsx worksheet need from the rest of the workbook: where each sheet's
// part is, which cell styles show dates, the shared strings, and the date system.
struct XlsxWorkbook
{
    struct Sheet
    {
        QString name;
        QString part; // the package part of the sheet's cells, e.g. "xl/worksheets/sheet1.xml"
    };
    QList<Sheet> sheets; // worksheets only, in workbook order
    bool date1904 = false;
    std::vector<bool> dateStyles;          // by cell style index (a cell's s attribute)
    std::vector<QByteArray> sharedStrings; // UTF-8, by index; after readSharedStrings()

    // Reads the workbook part, its relationships and styles, and inflates the shared strings. False
    // with the description in error; notWorkbook when the package holds no workbook at all.
    bool read(const XlsxPackage& package, QString& error, bool& notWorkbook);
    // Reads the shared strings read() inflated: apart from it, so that a thread may do it while
    // another reads the sheet's cells from the package.
    bool readSharedStrings(QString& error);

private:
    const XlsxPackage* m_package = nullptr;
    QString m_sharedStringsPart;
    QByteArray m_sharedStringsXml;
};

// Whether a number format shows a date or a time ("yyyy-mm-dd hh:mm", "[h]:mm:ss", built-in 14)
// rather than a number ("0.00", "#,##0 \"days\"", built-in 0 "General").
bool IsDateFormatCode(QStringView code);
bool IsDateFormatId(int id);

// "not well-formed" with the reader's error and line, for the description of a damaged part; a
// reader that began linesBefore lines into the part counts them in.
QString XmlErrorText(const QXmlStreamReader& reader, qint64 linesBefore = 0);
