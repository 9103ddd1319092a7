#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class XlsxPackage;

// The kinds of value a cell's t attribute names.
enum class XlsxCellType
{
    Number, // also a date when its style shows one
    SharedString,
    InlineString,
    FormulaString,
    Boolean,
    Error,
    IsoDate
};

// Rows of a worksheet as its XML holds them, before the workbook says what their cells mean: each
// cell with a value, its text (the value of <v>, or an inline string's <t>s) in `texts`.
struct XlsxRowBatch
{
    struct Cell
    {
        int column; // from 0 (A)
        XlsxCellType type;
        int style; // the cell's s attribute
        qsizetype at;
        qsizetype length;
    };
    struct Row
    {
        int number; // as the sheet numbers it, from 1; 0 for a row that does not say (the next one)
        size_t firstCell;
        size_t endCell;
    };
    std::vector<Row> rows;
    std::vector<Cell> cells;
    QString texts;

    QStringView text(const Cell& cell) const { return QStringView(texts).mid(cell.at, cell.length); }
};

// Reads the cells of a worksheet part on threads of its own and hands its rows over in batches,
// in the sheet's order, while the ones handed over are written. One thread inflates the part and
// cuts the rows of its <sheetData> into pieces at the start tags of rows (spreadsheet programs
// write no comments or CDATA sections there), two parse the pieces with Qt's XML stream reader.
// The package must not be used by anyone else until the object is gone.
class XlsxSheetCells
{
public:
    XlsxSheetCells(const XlsxPackage& package, const QString& part);
    ~XlsxSheetCells(); // stops the reading
    XlsxSheetCells(const XlsxSheetCells&) = delete;
    XlsxSheetCells& operator=(const XlsxSheetCells&) = delete;

    // The next rows; null at the end of the sheet, when error() says whether it was read whole.
    std::unique_ptr<XlsxRowBatch> next();
    QString error() const;

private:
    struct Piece
    {
        qint64 index;
        QByteArray xml;
        qint64 firstLine; // of the part, from 1
    };
    struct Parsed
    {
        std::unique_ptr<XlsxRowBatch> batch;
        QString error;
    };
    void split();
    void parse();
    Parsed parsePiece(const Piece& piece) const;
    // Hands a piece to the parsers; false when the rows are no longer wanted.
    bool handPiece(Piece piece);
    void finishSplitting(qint64 pieces, const QString& error);

    const XlsxPackage& m_package;
    const QString m_part;
    QByteArray m_open;  // the <sheetData> start tag, with the namespaces declared where it stands
    QByteArray m_close; // its end tag

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_pieces;        // cut, to be parsed
    std::map<qint64, Parsed> m_parsed; // parsed, to be handed over
    qint64 m_nextIndex = 0;            // of the piece next() hands over next
    qint64 m_pieceCount = -1;          // once the splitting ended
    QString m_splitError;              // why the splitting ended before the end of the rows
    bool m_stopped = false;
    QString m_error;
    std::vector<std::thread> m_threads; // last: they start when everything else is set up
};
