#pragma once

#include <QColor>
#include <QString>

class ChartControl;

// The look the analysis charts share with the control chart.
inline const QColor kChartOrange(0xFF, 0x80, 0x00);

// The grey background and the bold orange title line of a chart window.
void PresetChartTitle(ChartControl& chart, const QString& title);
