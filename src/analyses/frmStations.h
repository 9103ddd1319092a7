#pragma once

#include "StationPlot.h"

#include <QDialog>
#include <memory>

class ChartWindowOutput;
class QPrinter;
class StationChart;

namespace Ui {
class frmStations;
}

// The station comparison window: the sources of the main window's selection compared on its
// parameter, as box plots over a table of their numbers, built once while it loads.
class frmStations : public QDialog
{
    Q_OBJECT

public:
    // printer: the program's printer, for Print Chart.
    frmStations(const AnalysisContext& context, QPrinter& printer, QWidget* parent = nullptr);
    ~frmStations() override;

    const StationResult& result() const { return m_result; }

private:
    void FillTable();

    std::unique_ptr<Ui::frmStations> ui;
    std::unique_ptr<StationChart> m_chart;
    std::unique_ptr<ChartWindowOutput> m_output;
    StationResult m_result;
};
