#pragma once

#include "ScatterPlot.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class QPrinter;
class ScatterChart;

namespace Ui {
class frmScatter;
}

// The scatter chart window: one parameter against another for the main window's selection,
// with the correlation, the regression line and the value under the mouse. It draws once, while
// it loads.
class frmScatter : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, for Print Chart.
    frmScatter(const AnalysisContext& context, const ScatterInputs& inputs, QPrinter& printer,
               QWidget* parent = nullptr);
    ~frmScatter() override;

    // How the drawing at load ended.
    const ScatterResult& result() const { return m_result; }

private:
    void ocxScatter_MouseMove(int x, int y);

    std::unique_ptr<Ui::frmScatter> ui;
    std::unique_ptr<ScatterChart> m_chart;
    std::unique_ptr<ChartWindowOutput> m_output;
    ScatterResult m_result;
};
