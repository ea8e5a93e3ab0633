#pragma once

#include <QtTest>

#include <array>
#include <tuple>
#include <utility>

// The columns of a data-driven test, declared and fetched in one statement each:
//   addColumns<QString, int>({"text", "count"});
//   auto [text, count] = fetchColumns<QString, int>({"text", "count"});
template<typename... Types> void addColumns(const std::array<const char*, sizeof...(Types)>& names)
{
    std::size_t column = 0;
    (QTest::addColumn<Types>(names[column++]), ...);
}

// The current row's values of the named columns, in the order given.
template<typename... Types>
std::tuple<Types...> fetchColumns(const std::array<const char*, sizeof...(Types)>& names)
{
    return [&names]<std::size_t... Column>(std::index_sequence<Column...>)
    {
        return std::tuple<Types...> {
            *static_cast<Types*>(QTest::qData(names[Column], qMetaTypeId<Types>()))...};
    }
    (std::index_sequence_for<Types...>());
}

// Declares the columns; called, adds a named row with a value of each column's type:
//   const DataTable<QString, int> row({"text", "count"});
//   row("two", "ab", 2);
template<typename... Types> class DataTable
{
public:
    explicit DataTable(const std::array<const char*, sizeof...(Types)>& names)
    {
        addColumns<Types...>(names);
    }
    void operator()(const char* name, const Types&... values) const
    {
        (QTest::newRow(name) << ... << values);
    }
};
