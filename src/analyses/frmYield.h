#pragma once

#include "YieldPlot.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class QPrinter;
class YieldChart;

namespace Ui {
class frmYield;
}

// The yield window: the p or np chart of the units of the main window's selection. The units are
// read once when it opens; each choice of chart, subgroups, yield and run rules redraws from them.
class frmYield : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, for Print Chart.
    frmYield(const AnalysisContext& context, QPrinter& printer, QWidget* parent = nullptr);
    ~frmYield() override;

    const YieldResult& lastResult() const { return m_result; }

private:
    YieldOptions ChosenOptions() const;
    void DrawChosenChart();
    QString PointToolTip(int series, qint64 point) const;

    std::unique_ptr<Ui::frmYield> ui;
    AnalysisContext m_context;
    std::unique_ptr<YieldChart> m_chart;
    std::unique_ptr<ChartWindowOutput> m_output;
    YieldUnits m_units;
    YieldResult m_result;
};
