#pragma once

#include "LiveChart.h"

#include <QSet>
#include <QTreeWidget>

// The "Signals" list: the new out-of-control signals of the chart that follows its data, newest
// first, one row per point (time, point, value, rules). A point's signal is listed once, however
// often it is reported; a double-click asks to go to the point.
class SignalsList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit SignalsList(QWidget* parent = nullptr);

    // Lists the signal unless its point is listed already; true when it was added.
    bool add(const LiveSignal& signal);
    // Empties the list for the chart of a new Start Plot.
    void clearSignals();

signals:
    // The series and the point's sequence number since the chart was drawn (LiveSignal::sequence).
    void pointChosen(int series, qint64 sequence);

private:
    QSet<std::pair<int, qint64>> m_listed;
};
