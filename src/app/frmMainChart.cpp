// The main window's chart: paging and zoom buttons, the value under the mouse, the raw data
// behind a clicked point, export and print.
#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "ControlChartPrint.h"
#include "DisabledWhile.h"
#include "Formats.h"
#include "Prompts.h"
#include "XBarChart.h"
#include "frmMain.h"
#include "frmRawData.h"
#include "ui_frmMain.h"

#include <QPrinter>
#include <QShortcut>

namespace {

// The steps of the zoom buttons, in points per page.
constexpr int kZoomStep = 10;

} // namespace

void frmMain::connectChart()
{
    ChartControl* chart = ui->ocxXBarChart;
    connect(chart, &ChartControl::pageChanged, this, [this] { m_xbarChart->WritePageLine(m_state.gChartTitle); });
    connect(chart, &ChartControl::zoomed, this, [this] { m_xbarChart->WritePageLine(m_state.gChartTitle, true); });
    connect(chart, &ChartControl::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int, int y) { ocxXBarChart_MouseMove(y); });
    connect(chart, &ChartControl::seriesClicked, this,
            [this](int series, qint64 point, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                ocxXBarChart_ClickSeries(series, point, button, QPoint(x, y));
            });
    connect(ui->cmdNextPage, &QPushButton::clicked, this, [this] { cmdPage_Click(true); });
    connect(ui->cmdPreviousPage, &QPushButton::clicked, this, [this] { cmdPage_Click(false); });
    connect(ui->spnPage, &QSpinBox::valueChanged, this, &frmMain::goToPage);
    const auto pageKey = [this](Qt::Key key, auto page) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this, page] { goToPage(page()); });
    };
    pageKey(Qt::Key_Home, [] { return 1; });
    pageKey(Qt::Key_End, [this] { return ui->ocxXBarChart->pageCount(); });
    pageKey(Qt::Key_PageUp, [this] { return ui->ocxXBarChart->currentPage() - 1; });
    pageKey(Qt::Key_PageDown, [this] { return ui->ocxXBarChart->currentPage() + 1; });
    m_xbarChart->setPageLineListener([this] { showPageInBox(); });
    showPageInBox();
    connect(ui->cmdZoomXIn, &QPushButton::clicked, this, [this] { cmdZoomX_Click(-kZoomStep); });
    connect(ui->cmdZoomXOut, &QPushButton::clicked, this, [this] { cmdZoomX_Click(kZoomStep); });
    connect(ui->cmdExport, &QPushButton::clicked, this, &frmMain::cmdExport_Click);
    connect(ui->cmdPrint, &QPushButton::clicked, this, &frmMain::cmdPrint_Click);
}

bool frmMain::iniLoaded()
{
    // The product list holds only "<Open INI>" until a configuration was read.
    if (ui->cboProductName->count() != 1) {
        return true;
    }
    m_services.prompts.message(QStringLiteral("INI file is not loaded!"), MsgIcon::Exclamation, MsgButtons::OK);
    return false;
}

bool frmMain::chartHasPoints()
{
    if (ui->ocxXBarChart->pointCount(XBarChart::kDataSeries) > 0) {
        return true;
    }
    m_services.prompts.message(QStringLiteral("Chart is empty!"), MsgIcon::Exclamation, MsgButtons::OK);
    return false;
}

void frmMain::UndoChartZoom()
{
    ui->ocxXBarChart->undoZoom();
    ui->ocxXBarChart->update();
}

void frmMain::cmdPage_Click(bool next)
{
    goToPage(ui->ocxXBarChart->currentPage() + (next ? 1 : -1));
}

void frmMain::goToPage(int page)
{
    ChartControl& chart = *ui->ocxXBarChart;
    if (!iniLoaded() || chart.pageCount() == 1) {
        return;
    }
    UndoChartZoom();
    // The page line follows through the page-change event.
    chart.setCurrentPage(page);
}

void frmMain::showPageInBox()
{
    const ChartControl& chart = *ui->ocxXBarChart;
    const QSignalBlocker quiet(ui->spnPage);
    ui->spnPage->setMaximum(chart.pageCount());
    ui->spnPage->setValue(chart.currentPage());
    ui->spnPage->setSuffix(QStringLiteral(" of ") + QString::number(chart.pageCount()));
}

void frmMain::cmdZoomX_Click(int change)
{
    ChartControl& chart = *ui->ocxXBarChart;
    // Zooming in from 10 points a page shows every point; the buttons then rest until the next drawing.
    if (!iniLoaded() || chart.maxPointsPerPage() == 0) {
        return;
    }
    UndoChartZoom();
    chart.rescalePages(chart.maxPointsPerPage() + change);
    m_xbarChart->WritePageLine(m_state.gChartTitle);
}

void frmMain::ocxXBarChart_MouseMove(int y)
{
    ChartControl& chart = *ui->ocxXBarChart;
    // Above the range chart's panel the value is read on the upper chart's axis.
    const AxisId axis = y < chart.axisPanel(AxisId::Custom0).top() ? AxisId::Left : AxisId::Custom0;
    ui->lblYvalue->setText(FormatNumber(chart.valueAtPixel(axis, y), kValueFormat));
    underlineINILabel(nullptr);
}

void frmMain::ocxXBarChart_ClickSeries(int series, qint64 point, Qt::MouseButton button, const QPoint& at)
{
    ChartControl& chart = *ui->ocxXBarChart;
    if (series != XBarChart::kDataSeries) {
        chart.cancelMouseAction();
        return;
    }
    if (button == Qt::RightButton) {
        ocxXBarChart_ContextMenu(point, at);
        return;
    }
    if (button != Qt::LeftButton) {
        return;
    }
    frmRawData list(m_state.gRawDataFile, ui->optIndividualPlot->isChecked(), point, m_state.gXBarSize,
                    m_services.prompts, this);
    m_services.prompts.showModal(list);
    chart.cancelMouseAction();
}

void frmMain::cmdExport_Click()
{
    if (!iniLoaded() || !chartHasPoints()) {
        return;
    }
    const QString selection = SelectionLine(OutputUse::Export, ui->cboTestID->currentText(),
                                            ui->txtSerialNumberFilter->text(), ui->cboATEList->currentText());
    const DisabledWhile busy({ui->cmdExport});
    ExportChart(*ui->ocxXBarChart, m_services.prompts, m_services.clock, false, selection);
}

QPrinter& frmMain::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setPageOrientation(QPageLayout::Landscape);
    }
    return *m_printer;
}

void frmMain::cmdPrint_Click()
{
    if (!iniLoaded() || !chartHasPoints()) {
        return;
    }
    frmPrintChart dialog(m_printChoice, printer(), m_services.prompts, this);
    m_services.prompts.showModal(dialog);
    if (m_printChoice.cancelled) {
        return;
    }
    const QString selection = SelectionLine(OutputUse::Print, ui->cboTestID->currentText(),
                                            ui->txtSerialNumberFilter->text(), ui->cboATEList->currentText());
    const DisabledWhile busy({ui->cmdPrint, ui->cmdPlotChart});
    ChartPrintJob job(printer(), kPrintMargins);
    if (!job.begin() ||
        !PrintControlChart(*m_xbarChart, m_state.gChartTitle, job, m_printChoice.option, selection, m_services.clock) ||
        !job.finish()) {
        showError(job.error());
    }
}
