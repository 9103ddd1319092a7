#pragma once

#include <QTest>
#include <tuple>
#include <utility>
#include <vector>

// The columns of a data-driven test declared in one statement, and the current row's values of
// its first columns taken in one structured binding, where QTest takes a line per column:
//     AddColumns<AxisRange, double>("range", "step");
//     const auto [range, step] = FetchRow<AxisRange, double>();
// QTest runs a data function right before the rows of its test, so the columns last declared
// are those of the running test.
namespace DataRowColumns {
inline std::vector<const char*>& Declared()
{
    static std::vector<const char*> names;
    return names;
}
} // namespace DataRowColumns

template <typename... T, typename... Names> void AddColumns(Names... columns)
{
    static_assert(sizeof...(T) == sizeof...(Names), "one column name per type");
    DataRowColumns::Declared() = {columns...};
    (QTest::addColumn<T>(columns), ...);
}

template <typename... T> std::tuple<T...> FetchRow()
{
    const std::vector<const char*>& names = DataRowColumns::Declared();
    if (names.size() < sizeof...(T)) {
        qFatal("FetchRow takes %zu columns of %zu declared", sizeof...(T), names.size());
    }
    return [&names]<std::size_t... I>(std::index_sequence<I...>)
    {
        return std::tuple<T...>{*static_cast<T*>(QTest::qData(names[I], qMetaTypeId<T>()))...};
    }
    (std::index_sequence_for<T...>{});
}
