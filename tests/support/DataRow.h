#pragma once

#include <QTest>
#include <tuple>

// The columns of a data-driven test declared in one statement, and the current row's values of
// them taken in one structured binding, where QTest takes a line per column:
//     AddColumns<AxisRange, double>("range", "step");
//     const auto [range, step] = FetchRow<AxisRange, double>("range", "step");
template <typename... T, typename... Names> void AddColumns(Names... columns)
{
    static_assert(sizeof...(T) == sizeof...(Names), "one column name per type");
    (QTest::addColumn<T>(columns), ...);
}

template <typename... T, typename... Names> std::tuple<T...> FetchRow(Names... columns)
{
    static_assert(sizeof...(T) == sizeof...(Names), "one column name per type");
    return {*static_cast<T*>(QTest::qData(columns, qMetaTypeId<T>()))...};
}
