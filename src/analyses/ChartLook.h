#pragma once

#include <QColor>
#include <QString>

class ChartControl;

// The look the analysis charts share with the control chart.
inline const QColor kChartOrange(0xFF, 0x80, 0x00);

// The grey background and the bold orange title line of a chart window.
void PresetChartTitle(ChartControl& chart, const QString& title);

// Charts of categories (subgroups, sources) at x = 0, 1, ..., count - 1: the bottom axis labelled
// with the points of the one series drawn against it, and the top axis, hidden, on the same
// scale for the series drawn between the categories (stepped limits, box outlines). No paging.
void SetCategoryAxes(ChartControl& chart, qint64 count);
