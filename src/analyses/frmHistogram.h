#pragma once

#include "AnalysisContext.h"
#include "PlotHistogram.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class HistogramChart;
class QPrinter;

namespace Ui {
class frmHistogram;
}

// The histogram window of the main window's current selection: opens drawn with 20 cells and
// redraws for each choice of the cell count.
class frmHistogram : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, whose dialog choices stay for the next print.
    frmHistogram(const AnalysisContext& context, QPrinter& printer, QWidget* parent = nullptr);
    ~frmHistogram() override;

    // What the last drawing ended with.
    const HistogramResult& lastResult() const { return m_lastResult; }

private:
    void cboInterval_Click();
    void ocxHistogram_MouseMove(int x, int y);

    std::unique_ptr<Ui::frmHistogram> ui;
    AnalysisContext m_context;
    std::unique_ptr<HistogramChart> m_histogram;
    std::unique_ptr<ChartWindowOutput> m_output;
    HistogramResult m_lastResult;
};
