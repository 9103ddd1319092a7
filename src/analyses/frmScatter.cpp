#include "frmScatter.h"

#include "BusyCursor.h"
#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "Formats.h"
#include "ScatterChart.h"
#include "ui_frmScatter.h"

frmScatter::frmScatter(const AnalysisContext& context, const ScatterInputs& inputs, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmScatter>())
{
    ui->setupUi(this);
    m_chart = std::make_unique<ScatterChart>(*ui->ocxScatter);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxScatter, context.prompts, context.clock, *ui->cmdExport,
                                                   *ui->cmdPrintChart);
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);
    connect(ui->ocxScatter, &ChartControl::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int y) { ocxScatter_MouseMove(x, y); });

    const BusyCursor busy;
    m_result = PlotScatter(context, *m_chart, inputs);
    if (m_result.outcome == AnalysisOutcome::Drawn) {
        ui->lblSPCParameter->setText(ScatterPanelCaptions().join(QStringLiteral("\r\n")));
        ui->lblSPCParameter1->setText(m_result.panelText);
    }
}

frmScatter::~frmScatter() = default;

void frmScatter::ocxScatter_MouseMove(int x, int y)
{
    ui->lblXYValue->setText(
        QStringLiteral("X:") + FormatNumber(ui->ocxScatter->valueAtPixel(AxisId::Bottom, x), kValueFormat) +
        QStringLiteral(" Y:") + FormatNumber(ui->ocxScatter->valueAtPixel(AxisId::Left, y), kValueFormat));
}
