#pragma once

#include "ChartOutput.h"

#include <QMarginsF>
#include <QString>

class ChartControl;
class Clock;
class Prompts;
class QPrinter;
class QWidget;

// Export and print of an analysis window's chart (histogram, scatter, Pareto): the window's
// "Export" and "Print" buttons call these. Only the time stamp goes into the picture, in Foot
// line 0, and the line is given back afterwards (a window whose Foot holds a line of its own
// gets that line back). Both buttons are disabled while the output is made; a failure is shown
// as its description + "!".
class ChartWindowOutput
{
public:
    // margins: the printed page's, in millimetres.
    ChartWindowOutput(ChartControl& chart, Prompts& prompts, const Clock& clock, QWidget& cmdExport,
                      QWidget& cmdPrintChart, const QMarginsF& margins = kPrintMargins);

    // The save dialog, then the picture with "Exported on: mmm dd, yy hh:mm am/pm".
    void Export();
    // The printer dialog on printer (the program's printer, so the choice stays for the next
    // print); cancelling it prints nothing and says nothing. Then the current page with
    // "Printed on: mmm dd, yyyy hh:mm am/pm".
    void Print(QPrinter& printer);

private:
    ChartControl& m_chart;
    Prompts& m_prompts;
    const Clock& m_clock;
    QWidget& m_cmdExport;
    QWidget& m_cmdPrintChart;
    QMarginsF m_margins;
};
