#include "XlsxSheetCells.h"

#include "XlsxPackage.h"
#include "XlsxWorkbook.h"

#include <QMap>
#include <QXmlStreamReader>
#include <algorithm>

namespace {

constexpr qsizetype kPieceBytes = 1 << 20;
constexpr size_t kMostPiecesAhead = 8;
constexpr int kParsers = 2;

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

XlsxCellType cellTypeOf(QStringView t)
{
    if (t.isEmpty() || t == QLatin1String("n")) {
        return XlsxCellType::Number;
    }
    if (t == QLatin1String("s")) {
        return XlsxCellType::SharedString;
    }
    if (t == QLatin1String("inlineStr")) {
        return XlsxCellType::InlineString;
    }
    if (t == QLatin1String("str")) {
        return XlsxCellType::FormulaString;
    }
    if (t == QLatin1String("b")) {
        return XlsxCellType::Boolean;
    }
    return t == QLatin1String("d") ? XlsxCellType::IsoDate : XlsxCellType::Error;
}

// The rows of a piece of <sheetData>: a cell is taken when its element ends.
class CellCollector
{
public:
    void take(const QXmlStreamReader& xml)
    {
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            startElement(xml);
            break;
        case QXmlStreamReader::EndElement:
            endElement(xml.name());
            break;
        case QXmlStreamReader::Characters:
            if (m_inValue) {
                m_batch->texts += xml.text();
            }
            break;
        default:
            break;
        }
    }
    std::unique_ptr<XlsxRowBatch> batch() { return std::move(m_batch); }

private:
    void startElement(const QXmlStreamReader& xml)
    {
        const QStringView name = xml.name();
        if (name == QLatin1String("c")) {
            const QXmlStreamAttributes& a = xml.attributes();
            const QStringView reference = a.value(QLatin1String("r"));
            m_cell.column = reference.isEmpty() ? m_cell.column + 1 : columnOf(reference);
            m_cell.type = cellTypeOf(a.value(QLatin1String("t")));
            m_cell.style = a.value(QLatin1String("s")).toInt();
            m_cell.at = m_batch->texts.size();
            m_hasValue = false;
        } else if (name == QLatin1String("v") ||
                   (name == QLatin1String("t") && m_cell.type == XlsxCellType::InlineString)) {
            m_inValue = true;
            m_hasValue = true;
        } else if (name == QLatin1String("row")) {
            const int number = xml.attributes().value(QLatin1String("r")).toInt();
            m_batch->rows.push_back({std::max(number, 0), m_batch->cells.size(), m_batch->cells.size()});
            m_cell.column = -1;
        }
    }

    void endElement(QStringView name)
    {
        if (name == QLatin1String("v") || name == QLatin1String("t")) {
            m_inValue = false;
        } else if (name == QLatin1String("c") && m_hasValue && m_cell.column >= 0 && !m_batch->rows.empty()) {
            m_cell.length = m_batch->texts.size() - m_cell.at;
            m_batch->cells.push_back(m_cell);
            m_batch->rows.back().endCell = m_batch->cells.size();
        }
    }

    std::unique_ptr<XlsxRowBatch> m_batch = std::make_unique<XlsxRowBatch>();
    XlsxRowBatch::Cell m_cell{-1, XlsxCellType::Number, 0, 0, 0};
    bool m_inValue = false;
    bool m_hasValue = false;
};

// Where a start or end tag of qualified name `name` begins in bytes from `from`: "<name" or
// "</name" followed by a blank, '>' or '/'; -1 when there is none.
qsizetype findTag(const QByteArray& bytes, const QByteArray& opening, qsizetype from)
{
    for (qsizetype at = bytes.indexOf(opening, from); at >= 0; at = bytes.indexOf(opening, at + 1)) {
        const qsizetype after = at + opening.size();
        if (after < bytes.size() && (QByteArrayView(" \t\r\n>/").contains(bytes[after]))) {
            return at;
        }
        if (after >= bytes.size()) {
            return -1; // the rest of the tag is still to come
        }
    }
    return -1;
}

// Where the start tag that begins at `at` ends (after its '>'), quoted values skipped; -1 when
// the bytes end before.
qsizetype endOfTag(const QByteArray& bytes, qsizetype at)
{
    char quote = 0;
    for (qsizetype i = at; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

} // namespace

XlsxSheetCells::XlsxSheetCells(const XlsxPackage& package, const QString& part) : m_package(package), m_part(part)
{
    m_threads.emplace_back(&XlsxSheetCells::split, this);
    for (int i = 0; i < kParsers; ++i) {
        m_threads.emplace_back(&XlsxSheetCells::parse, this);
    }
}

XlsxSheetCells::~XlsxSheetCells()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

bool XlsxSheetCells::handPiece(Piece piece)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_pieces.size() + m_parsed.size() < kMostPiecesAhead; });
    if (m_stopped) {
        return false;
    }
    m_pieces.push_back(std::move(piece));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void XlsxSheetCells::finishSplitting(qint64 pieces, const QString& error)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pieceCount = pieces;
        m_splitError = error;
    }
    m_changed.notify_all();
}

// Inflates the part and cuts the rows of its <sheetData> into pieces of whole rows, each of
// about kPieceBytes: the part up to the <sheetData> start tag is read by an XML reader for the
// tag's name and the namespaces declared where it stands, the rows are cut before the start tag of
// a row.
void XlsxSheetCells::split()
{
    QXmlStreamReader prologue;
    QMap<QString, QString> namespaces; // declared before <sheetData>, by prefix
    QByteArray buffer;                 // the bytes not yet cut
    qint64 line = 1;                   // of buffer's first byte
    qsizetype scanned = 0;             // buffer up to here holds no start tag of a row after its first byte
    QByteArray rowTag;                 // "<row", or "<x:row" when the sheet's names have a prefix
    QByteArray endTag;                 // "</sheetData"
    bool inRows = false;
    bool done = false;
    qint64 pieces = 0;
    const auto cut = [&](qsizetype at) {
        Piece piece{pieces++, buffer.left(at), line};
        line += std::count(piece.xml.cbegin(), piece.xml.cend(), '\n');
        buffer.remove(0, at);
        scanned = 0;
        return handPiece(std::move(piece));
    };
    QString error;
    QString problem;
    const bool streamed = m_package.stream(
        m_part,
        [&](const char* data, qint64 size) {
            buffer.append(data, size);
            if (!inRows) {
                prologue.addData(QByteArray(data, size));
                while (!prologue.atEnd() && prologue.readNext() != QXmlStreamReader::Invalid) {
                    if (prologue.isStartElement()) {
                        for (const QXmlStreamNamespaceDeclaration& d : prologue.namespaceDeclarations()) {
                            namespaces.insert(d.prefix().toString(), d.namespaceUri().toString());
                        }
                        if (prologue.name() == QLatin1String("sheetData")) {
                            const QByteArray name = prologue.qualifiedName().toUtf8();
                            const QByteArray prefix = name.left(name.indexOf(':') + 1);
                            m_open = "<" + name;
                            for (auto d = namespaces.cbegin(); d != namespaces.cend(); ++d) {
                                m_open += (d.key().isEmpty() ? QByteArray(" xmlns") : " xmlns:" + d.key().toUtf8()) +
                                          "=\"" + d.value().toHtmlEscaped().toUtf8() + '"';
                            }
                            m_open += '>';
                            m_close = "</" + name + ">";
                            rowTag = "<" + prefix + "row";
                            endTag = "</" + name;
                            inRows = true;
                            break;
                        }
                    }
                }
                if (prologue.hasError() && prologue.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                    problem =
                        m_package.damaged(QStringLiteral("its part '%1' is %2").arg(m_part, XmlErrorText(prologue)));
                    return false;
                }
                if (!inRows) {
                    return true;
                }
                // What follows the <sheetData> start tag (none when it closes itself) is rows.
                const qsizetype start = findTag(buffer, "<" + endTag.mid(2), 0);
                const qsizetype after = start < 0 ? -1 : endOfTag(buffer, start);
                if (after < 0 || buffer[after - 2] == '/') {
                    done = true;
                    return false;
                }
                line += std::count(buffer.cbegin(), buffer.cbegin() + after, '\n');
                buffer.remove(0, after);
            }
            const qsizetype end = findTag(buffer, endTag, scanned);
            if (end >= 0) {
                done = true;
                cut(end);
                return false;
            }
            // Whole rows go, the row whose start tag comes last stays for the next piece.
            if (buffer.size() >= kPieceBytes) {
                qsizetype last = -1;
                for (qsizetype at = findTag(buffer, rowTag, 1); at >= 0; at = findTag(buffer, rowTag, at + 1)) {
                    last = at;
                }
                if (last > 0) {
                    return cut(last);
                }
            }
            scanned = std::max<qsizetype>(0, buffer.size() - endTag.size() - 1);
            return true;
        },
        error);
    if (!problem.isEmpty()) {
        error = problem;
    } else if (streamed && !done && error.isEmpty()) {
        error = m_package.damaged(QStringLiteral("its part '%1' ends before its rows do").arg(m_part));
    }
    finishSplitting(pieces, done ? QString() : error);
}

XlsxSheetCells::Parsed XlsxSheetCells::parsePiece(const Piece& piece) const
{
    QXmlStreamReader xml;
    xml.addData(m_open);
    xml.addData(piece.xml);
    xml.addData(m_close);
    CellCollector collector;
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::Invalid) {
        collector.take(xml);
    }
    if (xml.hasError()) {
        return {nullptr,
                m_package.damaged(
                    QStringLiteral("its part '%1' is %2").arg(m_part, XmlErrorText(xml, piece.firstLine - 1)))};
    }
    return {collector.batch(), QString()};
}

void XlsxSheetCells::parse()
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || !m_pieces.empty() || m_pieceCount >= 0; });
        if (m_stopped || m_pieces.empty()) {
            return;
        }
        const Piece piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        lock.unlock();
        Parsed parsed = parsePiece(piece);
        lock.lock();
        m_parsed.emplace(piece.index, std::move(parsed));
        lock.unlock();
        m_changed.notify_all();
    }
}

std::unique_ptr<XlsxRowBatch> XlsxSheetCells::next()
{
    std::unique_lock lock(m_mutex);
    if (!m_error.isEmpty()) {
        return nullptr;
    }
    m_changed.wait(lock, [this] { return m_parsed.count(m_nextIndex) != 0 || m_nextIndex == m_pieceCount; });
    const auto found = m_parsed.find(m_nextIndex);
    if (found == m_parsed.end()) {
        m_error = m_splitError;
        return nullptr;
    }
    Parsed parsed = std::move(found->second);
    m_parsed.erase(found);
    if (!parsed.error.isEmpty()) {
        m_error = parsed.error;
        return nullptr;
    }
    ++m_nextIndex;
    lock.unlock();
    m_changed.notify_all();
    return std::move(parsed.batch);
}

QString XlsxSheetCells::error() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}
