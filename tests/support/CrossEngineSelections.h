#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <utility>

// The selections every engine is tried with, on the records of results_small.csv.
struct CrossEngineSelection
{
    QString chartType{};
    QString parameter{}; // "X:::Y" for a scatter pair
    bool lastOnly = false;
    bool passOnly = true;
    bool acceptZero = true;
    QString source{};
    QString serial{};
    QString testID{};
    QDate from{2024, 3, 1};
    QDate to{2024, 3, 7};
};

inline QList<std::pair<const char*, CrossEngineSelection>> CrossEngineSelections()
{
    return {
        {"control chart", {"", "Vout"}},
        {"control chart, grouped", {"", "Vout", true}},
        {"pass or fail, zero refused", {"", "Vout", false, false, false}},
        {"grouped, pass or fail", {"", "Iin", true, false}},
        {"source", {"", "Vout", false, true, true, "ATE-02"}},
        {"serial of a duplicated record", {"", "Vout", false, false, true, "", "SNDUP1"}},
        {"serial, grouped", {"", "Vout", true, false, true, "", "SNDUP1"}},
        {"serial in lower case", {"", "Vout", false, true, true, "", "snlower"}},
        {"test ID", {"", "Eff", false, true, true, "", "", "T7", QDate(2024, 2, 1), QDate(2024, 3, 31)}},
        {"whole period", {"", "Ripple", false, false, false, "", "", "", QDate(2024, 1, 1), QDate(2024, 12, 31)}},
        {"range edges", {"", "Vout", false, true, true, "ATE-01", "", "", QDate(2024, 3, 1), QDate(2024, 3, 7)}},
        {"one day", {"", "Vout", false, false, true, "", "", "", QDate(2024, 3, 2), QDate(2024, 3, 2)}},
        {"histogram", {"Histogram", "Vout", false, false, false}},
        {"pareto, grouped", {"Pareto", "Eff", true, false}},
        {"scatter, one source", {"Scatter", "Vout", false, false, true, "ATE-01"}},
        {"scatter pair", {"Scatter", "Vout:::Iin", false, false, false}},
        {"scatter pair, grouped", {"Scatter", "Vout:::Iin", true, true, true}},
    };
}
