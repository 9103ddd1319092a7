#include "ChartLook.h"

#include "ChartControl.h"

void PresetChartTitle(ChartControl& chart, const QString& title)
{
    chart.setBackgroundColor(QColor(0xE0, 0xE0, 0xE0));
    TextBlock& block = chart.title();
    block.clear();
    block.add(title);
    block.color = kChartOrange;
    block.bold = true;
}
