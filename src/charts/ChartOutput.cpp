#include "ChartOutput.h"

#include "ChartControl.h"
#include "Clock.h"
#include "Formats.h"
#include "Prompts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSvgGenerator>
#include <filesystem>

namespace {

const QString kAll = QStringLiteral("<All>");

// Every saved PDF ends with this marker; a file without it was cut short.
constexpr char kPdfEnd[] = "%%EOF";

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

bool Fail(QString* error, const QString& path, const QString& reason)
{
    if (error) {
        *error = CannotWrite(path, reason);
    }
    return false;
}

bool CommitOrFail(QSaveFile& file, QString* error)
{
    return file.commit() || Fail(error, file.fileName(), file.errorString());
}

bool WritePng(const ChartControl& chart, QSaveFile& file, const QSize& size, QString* error)
{
    QImageWriter writer(&file, "png");
    if (!writer.write(chart.renderImage(size))) {
        file.cancelWriting();
        return Fail(error, file.fileName(), writer.errorString());
    }
    return CommitOrFail(file, error);
}

bool WriteSvg(const ChartControl& chart, QSaveFile& file, const QSize& size, QString* error)
{
    const QSize pixels = size.isEmpty() ? chart.size() : size;
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(pixels);
    generator.setViewBox(QRect(QPoint(0, 0), pixels));
    generator.setResolution(96);
    QPainter painter(&generator);
    chart.paintChart(painter, QRectF(QPointF(0, 0), pixels), true);
    painter.end();
    return CommitOrFail(file, error);
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

// Whether a PDF file was written to its end.
bool IsCompletePdf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64) {
        return false;
    }
    file.seek(file.size() - 64);
    return file.read(64).contains(kPdfEnd);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Fail(error, path, file.errorString());
    }
    return format == ChartFileFormat::Svg ? WriteSvg(chart, file, size, error) : WritePng(chart, file, size, error);
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
    if (m_finished) {
        return;
    }
    if (m_painter.isActive()) {
        if (m_target.isEmpty()) {
            m_printer.abort();
        }
        m_painter.end();
    }
    restorePrinter();
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
    }
}

bool ChartPrintJob::begin()
{
    m_printer.setPageMargins(m_margins, QPageLayout::Millimeter);
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty()) {
        m_target = m_printer.outputFileName();
        // A name of our own beside the target, created here so that a folder we cannot write
        // to is reported with its reason; the PDF engine then writes into it.
        QFile temporary;
        do {
            temporary.setFileName(
                m_target +
                QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        } while (temporary.exists());
        if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_error = CannotWrite(m_target, temporary.errorString());
            m_target.clear();
            return false;
        }
        m_temporary = temporary.fileName();
        m_printer.setOutputFileName(m_temporary);
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    }
    if (!m_painter.begin(&m_printer)) {
        m_error = m_target.isEmpty() ? QStringLiteral("The printer could not be started")
                                     : CannotWrite(m_target, QStringLiteral("the PDF file could not be started"));
        return false;
    }
    return true;
}

bool ChartPrintJob::printPage(const ChartControl& chart)
{
    if (!m_firstPage && !m_printer.newPage()) {
        m_error = QStringLiteral("The printer could not start a new page");
        return false;
    }
    m_firstPage = false;
    chart.printPage(m_painter, m_printer);
    return true;
}

bool ChartPrintJob::finish()
{
    m_finished = true;
    const bool ended = m_painter.end();
    restorePrinter();
    if (m_temporary.isEmpty()) {
        if (!ended) {
            m_error = QStringLiteral("The printer could not finish the job");
        }
        return ended;
    }
    std::error_code renamed;
    if (ended && IsCompletePdf(m_temporary)) {
        std::filesystem::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData(),
                                renamed);
        if (!renamed) {
            return true;
        }
    }
    QFile::remove(m_temporary);
    m_error = CannotWrite(m_target, renamed ? QString::fromStdString(renamed.message())
                                            : QStringLiteral("the PDF file was not written completely"));
    return false;
}

void ChartPrintJob::restorePrinter()
{
    if (!m_target.isEmpty()) {
        m_printer.setOutputFileName(m_target);
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    }
}
