#include "ChartWindowButtons.h"

#include "ChartWindowOutput.h"

#include <QAbstractButton>
#include <QDialog>

void ConnectChartWindowButtons(QDialog& window, ChartWindowOutput& output, QPrinter& printer,
                               QAbstractButton& cmdExport, QAbstractButton& cmdPrintChart, QAbstractButton& cmdClose)
{
    QObject::connect(&cmdExport, &QAbstractButton::clicked, &window, [&output] { output.Export(); });
    QObject::connect(&cmdPrintChart, &QAbstractButton::clicked, &window,
                     [&output, &printer] { output.Print(printer); });
    QObject::connect(&cmdClose, &QAbstractButton::clicked, &window, &QDialog::accept);
}
