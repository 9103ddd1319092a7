#pragma once

#include "ControlChartPrint.h"

#include <QDialog>
#include <memory>

class Prompts;
class QPrinter;

namespace Ui {
class frmPrintChart;
}

// What the print dialog leaves for the main window: the option of the last press of its Print
// button (kept from one dialog to the next) and whether the user cancelled.
struct PrintChoice
{
    PrintOption option = PrintOption::CompressToOnePage;
    bool cancelled = false;
};

// The main window's print dialog: how to print the control chart, and the printer to use.
// Closing it with its close box is not a cancel: the print goes ahead with the option kept.
class frmPrintChart : public QDialog
{
    Q_OBJECT

public:
    frmPrintChart(PrintChoice& choice, QPrinter& printer, Prompts& prompts, QWidget* parent = nullptr);
    ~frmPrintChart() override;

    Ui::frmPrintChart& form() { return *ui; }

private:
    void cmdPrintChart_Click();

    std::unique_ptr<Ui::frmPrintChart> ui;
    PrintChoice& m_choice;
};
