#include "frmPareto.h"

#include "BusyCursor.h"
#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "ParetoChart.h"
#include "ui_frmPareto.h"

namespace {
// The printed page's margins in millimetres: the wider one on the left, where pages are bound.
const QMarginsF kParetoPrintMargins(10, 5, 5, 5);
} // namespace

frmPareto::frmPareto(const AnalysisContext& context, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPareto>())
{
    ui->setupUi(this);
    m_chart = std::make_unique<ParetoChart>(*ui->ocxPareto);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxPareto, context.prompts, context.clock, *ui->cmdExport,
                                                   *ui->cmdPrintChart, kParetoPrintMargins);
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);

    const BusyCursor busy;
    m_result = PlotPareto(context, *m_chart);
    ui->lblSPCParameter1->setText(m_result.rowCountText);
}

frmPareto::~frmPareto() = default;
