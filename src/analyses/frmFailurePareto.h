#pragma once

#include "FailurePareto.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class FailureParetoChart;
class QPrinter;

namespace Ui {
class frmFailurePareto;
}

// The failure Pareto window: what fails in the units of the main window's selection, built once
// while it loads.
class frmFailurePareto : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, for Print Chart.
    frmFailurePareto(const AnalysisContext& context, QPrinter& printer, QWidget* parent = nullptr);
    ~frmFailurePareto() override;

    const FailureParetoResult& result() const { return m_result; }

private:
    std::unique_ptr<Ui::frmFailurePareto> ui;
    std::unique_ptr<FailureParetoChart> m_chart;
    std::unique_ptr<ChartWindowOutput> m_output;
    FailureParetoResult m_result;
};
