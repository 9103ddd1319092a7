#include "frmStations.h"

#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "StationChart.h"
#include "ui_frmStations.h"

#include <QHeaderView>

frmStations::frmStations(const AnalysisContext& context, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmStations>())
{
    ui->setupUi(this);
    m_chart = std::make_unique<StationChart>(*ui->ocxStations);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxStations, context.prompts, context.clock, *ui->cmdExport,
                                                   *ui->cmdPrintChart);
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);
    ui->lblSPCParameter->setText(StationPanelCaptions().join(QStringLiteral("\r\n")));
    m_result = PlotStations(context, *m_chart);
    ui->lblSPCParameter1->setText(m_result.panelText);
    FillTable();
}

frmStations::~frmStations() = default;

void frmStations::FillTable()
{
    QTableWidget& table = *ui->grdStations;
    const QStringList captions = StationCaptions();
    table.setColumnCount(static_cast<int>(captions.size()));
    table.setHorizontalHeaderLabels(captions);
    table.setRowCount(static_cast<int>(m_result.rows.size()));
    table.verticalHeader()->hide();
    table.horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < table.rowCount(); ++r) {
        const StationRow& row = m_result.rows[static_cast<size_t>(r)];
        const QStringList cells = StationCells(row);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // Numbers to the right, the source and the verdict to the left.
            const bool text = c == 0 || c == cells.size() - 1;
            item->setTextAlignment((text ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            if (row.differs) {
                item->setForeground(StationChart::kWarningColor);
            }
            table.setItem(r, c, item);
        }
    }
    table.resizeColumnsToContents();
}
