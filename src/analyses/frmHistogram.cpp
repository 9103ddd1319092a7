#include "frmHistogram.h"

#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "Formats.h"
#include "HistogramChart.h"
#include "HistogramMath.h"
#include "ui_frmHistogram.h"

frmHistogram::frmHistogram(const AnalysisContext& context, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmHistogram>()), m_context(context)
{
    ui->setupUi(this);
    m_histogram = std::make_unique<HistogramChart>(*ui->ocxHistogram);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxHistogram, m_context.prompts, m_context.clock,
                                                   *ui->cmdExport, *ui->cmdPrintChart);
    connect(ui->cboInterval, &QComboBox::activated, this, &frmHistogram::cboInterval_Click);
    connect(ui->ocxHistogram, &ChartControl::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int y) { ocxHistogram_MouseMove(x, y); });
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);

    if (m_context.refreshParameterNames) {
        m_context.refreshParameterNames();
    }
    m_histogram->AddSelectionTitles(m_context);
    ui->lblSPCParameter->setText(HistogramPanelCaptions().join(QStringLiteral("\r\n")));
    ui->cboInterval->setCurrentText(QStringLiteral("20"));
    cboInterval_Click();
}

frmHistogram::~frmHistogram() = default;

void frmHistogram::cboInterval_Click()
{
    ui->ocxHistogram->undoZoom();
    m_lastResult = PlotHistogram(m_context, *m_histogram, ui->cboInterval->currentText().toInt());
    if (m_lastResult.outcome == AnalysisOutcome::Drawn) {
        ui->lblSPCParameter1->setText(m_lastResult.panelText);
    }
}

void frmHistogram::ocxHistogram_MouseMove(int x, int y)
{
    const ChartControl& chart = *ui->ocxHistogram;
    ui->lblXYValue->setText(QStringLiteral("X:") + FormatNumber(chart.valueAtPixel(AxisId::Bottom, x), kValueFormat) +
                            QStringLiteral(" Y:") + FormatNumber(chart.valueAtPixel(AxisId::Left, y), kValueFormat));
}
