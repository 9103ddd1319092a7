#pragma once

class ChartWindowOutput;
class QAbstractButton;
class QDialog;
class QPrinter;

// The buttons under an analysis window's chart: Export and Print Chart make the chart's picture
// and print through output (on the program's printer, whose choices stay for the next print),
// Close closes the window.
void ConnectChartWindowButtons(QDialog& window, ChartWindowOutput& output, QPrinter& printer,
                               QAbstractButton& cmdExport, QAbstractButton& cmdPrintChart, QAbstractButton& cmdClose);
