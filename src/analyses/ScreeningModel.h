#pragma once

#include "Screening.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <array>

// The screening table for a view: one row per parameter, the columns of ScreeningColumn. Ppk
// below 1.33 tints the row amber, below 1.0 red. kSortRole gives each cell's number (absent:
// no value), so that a sorting proxy orders numbers as numbers.
class ScreeningModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QList<ScreeningRow>& rows);
    const ScreeningRow& row(int index) const { return m_rows.at(index); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<ScreeningRow> m_rows;
    std::array<int, kScreeningColumnCount> m_decimals{}; // of each column's numbers
};

// Sorts by kSortRole with absent values after every number, whichever the direction, and the
// text columns by their text; filters on the parameter's name.
class ScreeningSortProxy : public QSortFilterProxyModel
{
public:
    explicit ScreeningSortProxy(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
