#pragma once

#include <QBuffer>
#include <QMarginsF>
#include <QPainter>
#include <QString>
#include <memory>
#include <optional>

class ChartControl;
class Clock;
class Prompts;
class QDateTime;
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class OutputFile;
enum class TextBlockId;

// Saving and printing a chart as the user sees it. Before a chart is saved or printed, lines
// saying what was chosen and when are put into its SubFoot and Foot blocks, and taken out again
// afterwards, so the picture carries its context while the window does not.

enum class OutputUse
{
    Export,
    Print
};

// "Exported on: Mar 10, 2024 09:30 am" (a two-digit year on request) or "Printed on: …", with
// the month name of the user's locale.
QString ExportStamp(const QDateTime& now, bool twoDigitYear = false);
QString PrintStamp(const QDateTime& now);

// "Test ID: FT1; S/N Filter: None; Tester Filter: None" for an export; for a print "none" and
// "Source Filter". An empty serial filter and the source "<All>" mean no filter.
QString SelectionLine(OutputUse use, const QString& testId, const QString& serialFilter, const QString& source);

// Line i of one of a chart's text blocks for the time of an output. set() writes it, adding blank
// lines up to it when the block is shorter (a page change may have rewritten the block since);
// the destructor puts back the text the line had, or removes the line when there was none.
class TemporaryTextLine
{
public:
    TemporaryTextLine(ChartControl& chart, TextBlockId block, int line);
    ~TemporaryTextLine();
    TemporaryTextLine(const TemporaryTextLine&) = delete;
    TemporaryTextLine& operator=(const TemporaryTextLine&) = delete;

    void set(const QString& text);

private:
    ChartControl& m_chart;
    TextBlockId m_block;
    int m_line;
    std::optional<QString> m_original;
};

// Asks where to save a chart: the save dialog "Chart Export" (PNG first, then SVG and PDF),
// starting on "*.png" in the current folder, and "Overwrite the existing file?" for a file that
// exists. Returns "" when nothing is to be written: cancelled, a name that is empty or still
// holds a "*", or No to the question.
QString AskChartExportPath(Prompts& prompts);

// The export of a chart window, after the caller's checks: AskChartExportPath, then the chart
// saved with the export stamp of the moment in Foot line 0 and, when given, selectionLine in
// SubFoot line 1 (under the page line), both only for the time of writing. A failure is shown
// as its description + "!".
void ExportChart(ChartControl& chart, Prompts& prompts, const Clock& clock, bool twoDigitYear,
                 const QString& selectionLine = {});

enum class ChartFileFormat
{
    Png,
    Svg,
    Pdf // one A4 landscape page
};
// The format a file name's extension asks for: ".svg", ".pdf", else PNG.
ChartFileFormat ChartFileFormatOf(const QString& path);

// Saves the chart's current page. An empty size is the widget's (a PDF page takes the widget's
// proportions). The file is written under a temporary name beside it and renamed when
// complete, so a failed write leaves nothing; false with the reason, naming the file, in error.
bool WriteChartFile(const ChartControl& chart, const QString& path, ChartFileFormat format, QString* error,
                    const QSize& size = {});

// The page margins of every chart print, in millimetres.
inline const QMarginsF kPrintMargins(5, 5, 5, 5);

// Makes printer write a PDF file at path: A4 landscape.
void PrintToPdfFile(QPrinter& printer, const QString& path);

// One print job of chart pages on a printer. When the printer is set to write a PDF file, the
// pages are made in memory and written as an output file (OutputFile.h) once the job is complete,
// so a failed job leaves nothing half-written under the chosen name; the printer itself is left
// as it was.
class ChartPrintJob
{
public:
    // The printer's page margins become these, in millimetres.
    ChartPrintJob(QPrinter& printer, const QMarginsF& margins);
    // A job that was not finished is abandoned, its temporary file with it.
    ~ChartPrintJob();
    ChartPrintJob(const ChartPrintJob&) = delete;
    ChartPrintJob& operator=(const ChartPrintJob&) = delete;

    bool begin();
    // The chart's current page on a page of its own.
    bool printPage(const ChartControl& chart);
    bool finish();
    // Why the last step failed.
    const QString& error() const { return m_error; }

private:
    QPagedPaintDevice& pages() const;

    QPrinter& m_printer;
    QMarginsF m_margins;
    std::unique_ptr<OutputFile> m_file; // the PDF file the printer names; none when printing on a printer
    QBuffer m_pdfBytes;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_painter; // after the devices it paints on, so that it ends first
    bool m_firstPage = true;
    bool m_finished = false;
    QString m_error;
};
