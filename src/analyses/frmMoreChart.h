#pragma once

#include "AnalysisContext.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QPrinter;
class SettingsStore;

namespace Ui {
class frmMoreChart;
}

// The main window's lists, as the chooser copies them.
struct ChooserLists
{
    QStringList parameters; // the parameter list's texts
    QStringList sources;    // the source list's texts, "<All>" first
    bool productChosen = false;
};

// The door to the further analyses: the histogram, the Pareto chart, the yield chart, the failure
// Pareto and the station comparison of the main window's selection, and the scatter of two
// parameters (optionally from two sources) chosen here. Its choices are saved when it is left
// with Close and restored the next time it opens.
class frmMoreChart : public QDialog
{
    Q_OBJECT

public:
    frmMoreChart(const AnalysisContext& context, const ChooserLists& lists, SettingsStore& settings, QPrinter& printer,
                 QWidget* parent = nullptr);
    ~frmMoreChart() override;

private:
    void LoadChoices();
    void chkSeparateSource_Click();
    void cmdHistogram_Click();
    void cmdPareto_Click();
    void cmdScatter_Click();
    void cmdScreening_Click();
    void cmdYield_Click();
    void cmdFailures_Click();
    void cmdStations_Click();
    void cmdClose_Click();

    std::unique_ptr<Ui::frmMoreChart> ui;
    AnalysisContext m_context;
    SettingsStore& m_settings;
    QPrinter& m_printer;
};
