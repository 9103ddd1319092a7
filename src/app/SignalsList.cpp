#include "SignalsList.h"

#include "Formats.h"
#include "XBarChart.h"

#include <QHeaderView>

namespace {

// What each row keeps for the double-click.
constexpr int kSeriesRole = Qt::UserRole;
constexpr int kSequenceRole = Qt::UserRole + 1;

// The columns' texts.
QStringList rowTexts(const LiveSignal& signal)
{
    // Points are counted from 1, as the user counts them; a range point says so.
    QString point = QString::number(signal.sequence + 1);
    if (signal.series == XBarChart::kRangeSeries) {
        point += QStringLiteral(" (range)");
    }
    return {FormatDate(signal.time, QStringLiteral("mm/dd/yyyy hh:nn:ss")), point,
            FormatNumber(signal.value, kValueFormat), signal.rules.join(QStringLiteral("; "))};
}

} // namespace

SignalsList::SignalsList(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("lstSignals"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Point"), QStringLiteral("Value"), QStringLiteral("Rules")});
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        emit pointChosen(item->data(0, kSeriesRole).toInt(), item->data(0, kSequenceRole).toLongLong());
    });
}

bool SignalsList::add(const LiveSignal& signal)
{
    if (m_listed.contains({signal.series, signal.sequence})) {
        return false;
    }
    m_listed.insert({signal.series, signal.sequence});
    auto* item = new QTreeWidgetItem(rowTexts(signal));
    item->setData(0, kSeriesRole, signal.series);
    item->setData(0, kSequenceRole, signal.sequence);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    const QString serials = signal.serials.join(QStringLiteral(", "));
    for (int column = 0; column < columnCount(); ++column) {
        item->setToolTip(column, serials);
    }
    insertTopLevelItem(0, item);
    return true;
}

void SignalsList::clearSignals()
{
    clear();
    m_listed.clear();
}
