#include "frmFailurePareto.h"

#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "FailureParetoChart.h"
#include "ui_frmFailurePareto.h"

frmFailurePareto::frmFailurePareto(const AnalysisContext& context, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmFailurePareto>())
{
    ui->setupUi(this);
    m_chart = std::make_unique<FailureParetoChart>(*ui->ocxFailures);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxFailures, context.prompts, context.clock, *ui->cmdExport,
                                                   *ui->cmdPrintChart);
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);
    ui->lblSPCParameter->setText(FailureParetoPanelCaptions().join(QStringLiteral("\r\n")));
    m_result = PlotFailurePareto(context, *m_chart);
    ui->lblSPCParameter1->setText(m_result.panelText);
}

frmFailurePareto::~frmFailurePareto() = default;
