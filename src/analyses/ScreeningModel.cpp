#include "ScreeningModel.h"

#include <QColor>

namespace {

const QColor kBelowOne(0xF4, 0xB6, 0xB6);    // Ppk < 1.0
const QColor kBelowTarget(0xFB, 0xE3, 0xA6); // Ppk < 1.33

ScreeningColumn ColumnAt(const QModelIndex& index)
{
    return static_cast<ScreeningColumn>(index.column());
}

} // namespace

void ScreeningModel::setRows(const QList<ScreeningRow>& rows)
{
    beginResetModel();
    m_rows = rows;
    for (int column = 0; column < kScreeningColumnCount; ++column) {
        m_decimals[static_cast<size_t>(column)] = ScreeningDecimals(rows, static_cast<ScreeningColumn>(column));
    }
    endResetModel();
}

int ScreeningModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ScreeningModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kScreeningColumnCount;
}

QVariant ScreeningModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return {};
    }
    const ScreeningRow& r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ScreeningText(r, ColumnAt(index), m_decimals[static_cast<size_t>(index.column())]);
    case kSortRole: {
        const Statistic number = ScreeningNumber(r, ColumnAt(index));
        return number ? QVariant(*number) : QVariant();
    }
    case Qt::BackgroundRole:
        if (r.ppk && *r.ppk < 1.33) {
            return *r.ppk < 1.0 ? kBelowOne : kBelowTarget;
        }
        return {};
    case Qt::TextAlignmentRole:
        return IsScreeningTextColumn(ColumnAt(index)) ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                      : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return r.note.isEmpty() ? QVariant() : QVariant(r.note);
    default:
        return {};
    }
}

QVariant ScreeningModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kScreeningColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return ScreeningCaption(static_cast<ScreeningColumn>(section));
}

ScreeningSortProxy::ScreeningSortProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(ScreeningModel::kSortRole);
    setFilterKeyColumn(static_cast<int>(ScreeningColumn::Parameter));
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

bool ScreeningSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(ScreeningModel::kSortRole);
    const QVariant b = right.data(ScreeningModel::kSortRole);
    if (!a.isValid() && !b.isValid()) {
        return QString::localeAwareCompare(left.data().toString(), right.data().toString()) < 0;
    }
    // Absent values last in either direction (a descending sort asks with the two swapped).
    if (a.isValid() != b.isValid()) {
        return sortOrder() == Qt::AscendingOrder ? !b.isValid() : !a.isValid();
    }
    return a.toDouble() < b.toDouble();
}
