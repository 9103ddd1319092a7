#include "XlsxWorkbook.h"

#include "XlsxPackage.h"

#include <QHash>
#include <QXmlStreamReader>

namespace {

struct Relationship
{
    QString type;
    QString target; // a part name
};

// The folder of a part, with its trailing '/': "xl/" for "xl/workbook.xml".
QString folderOf(const QString& part)
{
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// A relationship's target as a part name: relative to the folder of its source part, or from the
// package's root when it begins with '/'.
QString resolve(const QString& sourceFolder, const QString& target)
{
    QStringList path;
    const QString full = target.startsWith(QLatin1Char('/')) ? target.mid(1) : sourceFolder + target;
    for (const QString& piece : full.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("..")) {
            if (!path.isEmpty()) {
                path.removeLast();
            }
        } else if (piece != QLatin1String(".")) {
            path.append(piece);
        }
    }
    return path.join(QLatin1Char('/'));
}

// Runs onElement for every start element of the part's XML; false with the description in error.
template <typename OnElement>
bool parseElements(const XlsxPackage& package, const QString& part, const QByteArray& bytes, QString& error,
                   OnElement onElement)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            onElement(xml);
        }
    }
    if (xml.hasError()) {
        error = package.damaged(QStringLiteral("its part '%1' is %2").arg(part, XmlErrorText(xml)));
        return false;
    }
    return true;
}

template <typename OnElement>
bool readElements(const XlsxPackage& package, const QString& part, QString& error, OnElement onElement)
{
    QByteArray bytes;
    return package.read(part, bytes, error) && parseElements(package, part, bytes, error, onElement);
}

// The relationships of source ("" for the package itself), which are kept in the part
// "<folder>/_rels/<name>.rels"; none when there is no such part.
bool readRelationships(const XlsxPackage& package, const QString& source, QHash<QString, Relationship>& found,
                       QString& error)
{
    const QString folder = folderOf(source);
    const QString part = folder + QStringLiteral("_rels/") + source.mid(folder.size()) + QStringLiteral(".rels");
    if (!package.contains(part)) {
        return true;
    }
    return readElements(package, part, error, [&](QXmlStreamReader& xml) {
        if (xml.name() == QLatin1String("Relationship")) {
            const QXmlStreamAttributes a = xml.attributes();
            found.insert(a.value(QLatin1String("Id")).toString(),
                         {a.value(QLatin1String("Type")).toString(),
                          resolve(folder, a.value(QLatin1String("Target")).toString())});
        }
    });
}

QString relationshipId(const QXmlStreamAttributes& attributes)
{
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty()) {
            return a.value().toString();
        }
    }
    return {};
}

// The text of a shared string: its <t> elements, those of phonetic runs (<rPh>) left out.
QByteArray sharedStringText(QXmlStreamReader& xml)
{
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("rPh")) {
                ++phonetic;
            } else if (xml.name() == QLatin1String("t") && phonetic == 0) {
                text += xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("rPh")) {
                --phonetic;
            } else if (xml.name() == QLatin1String("si")) {
                break;
            }
        }
    }
    return text.toUtf8();
}

bool endsWith(const QString& type, const char* kind)
{
    return type.endsWith(QLatin1Char('/') + QLatin1String(kind));
}

} // namespace

QString XmlErrorText(const QXmlStreamReader& reader, qint64 linesBefore)
{
    return QStringLiteral("not well-formed XML (%1, line %2)")
        .arg(reader.errorString())
        .arg(reader.lineNumber() + linesBefore);
}

bool IsDateFormatId(int id)
{
    // 14-22 and 45-47 everywhere; 27-36 and 50-58 are the dates of East Asian versions.
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

bool IsDateFormatCode(QStringView code)
{
    // Only the first section counts; quoted text, escaped and padding characters and bracketed
    // colours or conditions say nothing, but [h], [m] and [s] (elapsed time) do.
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (c == QLatin1Char(';')) {
            break;
        }
        if (c == QLatin1Char('"')) {
            i = code.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0) {
                break;
            }
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            const QStringView inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1);
            static const QString elapsed = QStringLiteral("hms");
            if (!inside.isEmpty() && elapsed.contains(inside[0].toLower()) &&
                inside.count(inside[0]) == inside.size()) {
                return true;
            }
            if (close < 0) {
                break;
            }
            i = close;
        } else if (c == QLatin1Char('d') || c == QLatin1Char('m') || c == QLatin1Char('y') || c == QLatin1Char('h') ||
                   c == QLatin1Char('s')) {
            return true;
        }
    }
    return false;
}

bool XlsxWorkbook::read(const XlsxPackage& package, QString& error, bool& notWorkbook)
{
    notWorkbook = false;
    QHash<QString, Relationship> packageRelationships;
    if (!readRelationships(package, QString(), packageRelationships, error)) {
        return false;
    }
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    for (const Relationship& r : packageRelationships) {
        if (endsWith(r.type, "officeDocument")) {
            workbookPart = r.target;
        }
    }
    if (!package.contains(workbookPart)) {
        notWorkbook = true;
        return false;
    }
    QHash<QString, Relationship> relationships;
    if (!readRelationships(package, workbookPart, relationships, error)) {
        return false;
    }
    const bool readWorkbook = readElements(package, workbookPart, error, [&](QXmlStreamReader& xml) {
        if (xml.name() == QLatin1String("workbookPr")) {
            const QStringView value = xml.attributes().value(QLatin1String("date1904"));
            date1904 = value == QLatin1String("1") || value == QLatin1String("true");
        } else if (xml.name() == QLatin1String("sheet")) {
            const Relationship r = relationships.value(relationshipId(xml.attributes()));
            if (endsWith(r.type, "worksheet")) {
                sheets.append({xml.attributes().value(QLatin1String("name")).toString(), r.target});
            }
        }
    });
    if (!readWorkbook) {
        return false;
    }

    for (const Relationship& r : relationships) {
        if (endsWith(r.type, "styles")) {
            QHash<int, bool> customDates;
            bool inCellStyles = false;
            const bool read = readElements(package, r.target, error, [&](QXmlStreamReader& xml) {
                const QXmlStreamAttributes a = xml.attributes();
                if (xml.name() == QLatin1String("numFmt")) {
                    customDates.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                       IsDateFormatCode(a.value(QLatin1String("formatCode"))));
                } else if (xml.name() == QLatin1String("cellXfs")) {
                    inCellStyles = true;
                } else if (xml.name() == QLatin1String("cellStyleXfs") || xml.name() == QLatin1String("cellStyles")) {
                    inCellStyles = false;
                } else if (xml.name() == QLatin1String("xf") && inCellStyles) {
                    const int id = a.value(QLatin1String("numFmtId")).toInt();
                    dateStyles.push_back(customDates.contains(id) ? customDates.value(id) : IsDateFormatId(id));
                }
            });
            if (!read) {
                return false;
            }
        } else if (endsWith(r.type, "sharedStrings")) {
            m_sharedStringsPart = r.target;
            if (!package.read(r.target, m_sharedStringsXml, error)) {
                return false;
            }
        }
    }
    m_package = &package;
    return true;
}

bool XlsxWorkbook::readSharedStrings(QString& error)
{
    const bool read =
        parseElements(*m_package, m_sharedStringsPart, m_sharedStringsXml, error, [this](QXmlStreamReader& xml) {
            if (xml.name() == QLatin1String("si")) {
                sharedStrings.push_back(sharedStringText(xml));
            }
        });
    m_sharedStringsXml.clear();
    return read;
}
