#pragma once

#include <QString>

class ChartPrintJob;
class Clock;
class XBarChart;

// The three ways of printing the control chart, in the order the print dialog offers them.
enum class PrintOption
{
    CompressToOnePage = 0, // every point on one page; the chart stays so until the next drawing
    CurrentPage = 1,       // the page on screen
    AllPages = 2,          // page 1 to the last, then back to page 1
};

// Prints the control chart on a job that has begun. Each printed page carries selectionLine
// under the page line and a print stamp of its own time, and the chart moves on to the next page
// after each printed page, as the user sees it move. The stamp lines are gone afterwards. False
// when a page could not be printed (job.error() says why).
bool PrintControlChart(XBarChart& chart, const QString& chartTitle, ChartPrintJob& job, PrintOption option,
                       const QString& selectionLine, const Clock& clock);
