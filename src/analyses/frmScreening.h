#pragma once

#include "AnalysisContext.h"
#include "Screening.h"

#include <QDialog>
#include <memory>

class ScreeningModel;
class ScreeningSortProxy;

namespace Ui {
class frmScreening;
}

// Every parameter of the product ranked for the main window's selection: a sortable table,
// worst first, with a filter on the names and an export as CSV. Screen() reads the data,
// showing its progress; Stop ends it. A double-click on a row asks the main window (through
// context.chartParameter) to chart that parameter as an individual chart, and closes the window.
class frmScreening : public QDialog
{
    Q_OBJECT

public:
    explicit frmScreening(const AnalysisContext& context, QWidget* parent = nullptr);
    ~frmScreening() override;

    // Runs the screening; the window runs it once when it is first shown.
    void Screen();
    const ScreeningResult& result() const { return m_result; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void cmdExportCsv_Click();
    void tblScreening_DoubleClick(const QModelIndex& index);
    void setRunning(bool running);
    void showCount();

    std::unique_ptr<Ui::frmScreening> ui;
    AnalysisContext m_context;
    ScreeningModel* m_model;
    ScreeningSortProxy* m_proxy;
    ScreeningResult m_result;
    bool m_screened = false;
    bool m_running = false;
    bool m_stopRequested = false;
};
