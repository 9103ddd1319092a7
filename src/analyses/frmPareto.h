#pragma once

#include "ParetoPlot.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class ParetoChart;
class QPrinter;

namespace Ui {
class frmPareto;
}

// The Pareto chart window: every parameter of the product ranked by the sum of its results over
// the main window's selection. It builds its chart once, while it loads.
class frmPareto : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, for Print Chart.
    frmPareto(const AnalysisContext& context, QPrinter& printer, QWidget* parent = nullptr);
    ~frmPareto() override;

    // How the building at load ended.
    const ParetoResult& result() const { return m_result; }

private:
    std::unique_ptr<Ui::frmPareto> ui;
    std::unique_ptr<ParetoChart> m_chart;
    std::unique_ptr<ChartWindowOutput> m_output;
    ParetoResult m_result;
};
