#include "frmPrintChart.h"

#include "Prompts.h"
#include "ui_frmPrintChart.h"

frmPrintChart::frmPrintChart(PrintChoice& choice, QPrinter& printer, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPrintChart>()), m_choice(choice)
{
    ui->setupUi(this);
    m_choice.cancelled = false;
    connect(ui->cmdSetPrinter, &QPushButton::clicked, this, [&printer, &prompts] { prompts.choosePrinter(printer); });
    connect(ui->cmdPrintChart, &QPushButton::clicked, this, &frmPrintChart::cmdPrintChart_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, [this] {
        m_choice.cancelled = true;
        reject();
    });
}

frmPrintChart::~frmPrintChart() = default;

void frmPrintChart::cmdPrintChart_Click()
{
    if (ui->optPrint0->isChecked()) {
        m_choice.option = PrintOption::CompressToOnePage;
    } else if (ui->optPrint1->isChecked()) {
        m_choice.option = PrintOption::CurrentPage;
    } else if (ui->optPrint2->isChecked()) {
        m_choice.option = PrintOption::AllPages;
    }
    m_choice.cancelled = false;
    accept();
}
