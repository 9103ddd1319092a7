#include "ChartOutput.h"

#include "ChartControl.h"
#include "Clock.h"
#include "Formats.h"
#include "MarkupText.h"
#include "OutputFile.h"
#include "Prompts.h"
#include "Selection.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

namespace {

// The chart as a PNG file's bytes; empty when the image cannot be encoded (why in error). The bytes
// are made before the file is written, so that a write that fails is seen (OutputFile.h).
QByteArray PngBytes(const ChartControl& chart, const QSize& size, QString& error)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QImageWriter writer(&bytes, "png");
    if (!writer.write(chart.renderImage(size))) {
        error = writer.errorString();
        return {};
    }
    return bytes.data();
}

// The chart as an SVG file's bytes.
QByteArray SvgBytes(const ChartControl& chart, const QSize& size)
{
    const QSize pixels = size.isEmpty() ? chart.size() : size;
    QBuffer bytes;
    QSvgGenerator generator;
    generator.setOutputDevice(&bytes);
    generator.setSize(pixels);
    generator.setViewBox(QRect(QPoint(0, 0), pixels));
    generator.setResolution(96);
    QPainter painter(&generator);
    chart.paintChart(painter, QRectF(QPointF(0, 0), pixels), true);
    painter.end();
    return WithoutControlCharacters(bytes.data());
}

bool WritePdf(const ChartControl& chart, const QString& path, QString* error)
{
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdfFile(printer, path);
    ChartPrintJob job(printer, kPrintMargins);
    if (job.begin() && job.printPage(chart) && job.finish()) {
        return true;
    }
    if (error) {
        *error = job.error();
    }
    return false;
}

} // namespace

QString ExportStamp(const QDateTime& now, bool twoDigitYear)
{
    return QStringLiteral("Exported on: ") + FormatDate(now, twoDigitYear ? QStringLiteral("mmm dd, yy hh:mm am/pm")
                                                                          : QStringLiteral("mmm dd, yyyy hh:mm am/pm"));
}

QString PrintStamp(const QDateTime& now)
{
    return QStringLiteral("Printed on: ") + FormatDate(now, QStringLiteral("mmm dd, yyyy hh:mm am/pm"));
}

QString SelectionLine(OutputUse use, const QString& testId, const QString& serialFilter, const QString& source)
{
    const bool print = use == OutputUse::Print;
    const QString none = print ? QStringLiteral("none") : QStringLiteral("None");
    const QString sourceName = print ? QStringLiteral("Source Filter: ") : QStringLiteral("Tester Filter: ");
    return QStringLiteral("Test ID: ") + testId + QStringLiteral("; S/N Filter: ") +
           (serialFilter.isEmpty() ? none : serialFilter) + QStringLiteral("; ") + sourceName +
           (source == kAll ? none : source);
}

TemporaryTextLine::TemporaryTextLine(ChartControl& chart, TextBlockId block, int line)
    : m_chart(chart), m_block(block), m_line(line)
{
    const TextBlock& text = chart.text(block);
    if (line < text.count()) {
        m_original = text.lines.at(line);
    }
}

TemporaryTextLine::~TemporaryTextLine()
{
    TextBlock& text = m_chart.text(m_block);
    if (m_original) {
        set(*m_original);
    } else {
        text.removeLine(m_line);
    }
}

void TemporaryTextLine::set(const QString& text)
{
    TextBlock& block = m_chart.text(m_block);
    while (block.count() <= m_line) {
        block.add(QString());
    }
    block.setLine(m_line, text);
}

QString AskChartExportPath(Prompts& prompts)
{
    const QString path = prompts.saveFileName(QStringLiteral("Chart Export"),
                                              QStringLiteral("PNG image file (*.png)|*.png|"
                                                             "SVG image file (*.svg)|*.svg|"
                                                             "PDF document (*.pdf)|*.pdf"),
                                              QDir::current().filePath(QStringLiteral("*.png")));
    if (path.isEmpty() || path.contains(QLatin1Char('*'))) {
        return {};
    }
    if (QFileInfo::exists(path) && prompts.message(QStringLiteral("Overwrite the existing file?"), MsgIcon::Exclamation,
                                                   MsgButtons::YesNo) != MsgAnswer::Yes) {
        return {};
    }
    return path;
}

void ExportChart(ChartControl& chart, Prompts& prompts, const Clock& clock, bool twoDigitYear,
                 const QString& selectionLine)
{
    const QString path = AskChartExportPath(prompts);
    if (path.isEmpty()) {
        return;
    }
    QString error;
    {
        std::optional<TemporaryTextLine> selection;
        if (!selectionLine.isEmpty()) {
            selection.emplace(chart, TextBlockId::SubFoot, 1);
            selection->set(selectionLine);
        }
        TemporaryTextLine stamp(chart, TextBlockId::Foot, 0);
        stamp.set(ExportStamp(clock.now(), twoDigitYear));
        if (WriteChartFile(chart, path, ChartFileFormatOf(path), &error)) {
            return;
        }
    }
    prompts.message(error + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
}

ChartFileFormat ChartFileFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        return ChartFileFormat::Svg;
    }
    return suffix == QLatin1String("pdf") ? ChartFileFormat::Pdf : ChartFileFormat::Png;
}

bool WriteChartFile(const ChartControl& chart, const QString& path, ChartFileFormat format, QString* error,
                    const QSize& size)
{
    if (format == ChartFileFormat::Pdf) {
        return WritePdf(chart, path, error);
    }
    // Made first, so that a folder that cannot be written to is told before the chart is drawn.
    OutputFile file(path);
    if (!file.open(error)) {
        return false;
    }
    if (format == ChartFileFormat::Svg) {
        return file.commit(SvgBytes(chart, size), error);
    }
    QString reason;
    const QByteArray png = PngBytes(chart, size, reason);
    if (png.isEmpty()) {
        if (error) {
            *error = CannotWriteMessage(path, reason);
        }
        return false;
    }
    return file.commit(png, error);
}

void PrintToPdfFile(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
}

ChartPrintJob::ChartPrintJob(QPrinter& printer, const QMarginsF& margins) : m_printer(printer), m_margins(margins) {}

ChartPrintJob::~ChartPrintJob()
{
    if (!m_finished && m_painter.isActive()) {
        if (!m_file) {
            m_printer.abort();
        }
        m_painter.end();
    }
    // m_file, not committed, takes its temporary file with it.
}

QPagedPaintDevice& ChartPrintJob::pages() const
{
    return m_pdf ? static_cast<QPagedPaintDevice&>(*m_pdf) : m_printer;
}

bool ChartPrintJob::begin()
{
    m_printer.setPageMargins(m_margins, QPageLayout::Millimeter);
    const QString target = m_printer.outputFileName();
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !target.isEmpty()) {
        m_file = std::make_unique<OutputFile>(target);
        if (!m_file->open(&m_error)) {
            m_file.reset();
            return false;
        }
        m_pdfBytes.open(QIODevice::WriteOnly);
        m_pdf = std::make_unique<QPdfWriter>(&m_pdfBytes);
        m_pdf->setPageLayout(m_printer.pageLayout());
        m_pdf->setResolution(m_printer.resolution());
        m_pdf->setPdfVersion(m_printer.pdfVersion());
        m_pdf->setCreator(m_printer.creator());
        m_pdf->setTitle(m_printer.docName());
    }
    if (!m_painter.begin(&pages())) {
        m_error = m_file ? CannotWriteMessage(target, QStringLiteral("the PDF file could not be started"))
                         : QStringLiteral("The printer could not be started");
        return false;
    }
    return true;
}

bool ChartPrintJob::printPage(const ChartControl& chart)
{
    if (!m_firstPage && !pages().newPage()) {
        m_error = QStringLiteral("The printer could not start a new page");
        return false;
    }
    m_firstPage = false;
    chart.printPage(m_painter, pages());
    return true;
}

bool ChartPrintJob::finish()
{
    m_finished = true;
    const bool ended = m_painter.end();
    if (!m_file) {
        if (!ended) {
            m_error = QStringLiteral("The printer could not finish the job");
        }
        return ended;
    }
    if (!ended) {
        m_error = CannotWriteMessage(m_file->fileName(), QStringLiteral("the PDF file could not be finished"));
        return false;
    }
    return m_file->commit(m_pdfBytes.data(), &m_error);
}
