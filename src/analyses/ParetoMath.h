#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

// The arithmetic of the Pareto chart, without any window: parameters ranked by the sum of their
// results, each bar a percentage of the grand total, and the cumulative line.

// Sorts numbers in descending order and moves each name with its number. A bubble sort that
// swaps only when the earlier number is strictly smaller, so equal numbers keep their order.
void BubbleSortNumbers(QList<double>& numbers, QStringList& names);

// A sum as a bar's label shows it: "#,##0.###" without a decimal separator left at the end
// (12 -> "12", 12.5 -> "12.5", 1234 -> "1,234").
QString ParetoSumText(double sum, const QLocale& locale = QLocale());

struct ParetoBar
{
    QString name;
    double sum = 0;
    double percent = 0;           // of the grand total
    double cumulativePercent = 0; // of this bar and those before it

    // The bar's point label: name, a carriage return, then the sum in brackets.
    QString label(const QLocale& locale = QLocale()) const;
};

// The bars of the parameters (names and sums in parameter-list order) in descending order of
// their sums. total is the grand total, the sums added in parameter-list order; it is not 0.
std::vector<ParetoBar> ParetoBars(QStringList names, QList<double> sums, double total);

// The captions of the statistics panel: {"Total:"}.
QStringList ParetoPanelCaptions();
