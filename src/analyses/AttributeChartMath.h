#pragma once

#include "RunRules.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

// The arithmetic of the yield charts (p and np charts of failed units), without any window.

// How units are put into subgroups: by the calendar day or ISO week of their counted test, or
// in runs of a number of consecutive units.
struct UnitGrouping
{
    enum class Kind
    {
        Day,
        Week,
        Units,
    };
    Kind kind = Kind::Day;
    int units = 0; // Kind::Units: units per subgroup, at least 2

    // "day", "week" or a whole number from 2 up (case and surrounding blanks ignored);
    // std::nullopt for anything else.
    static std::optional<UnitGrouping> fromText(const QString& text);
    QString text() const; // "day", "week" or the number
};

// One unit as the chart counts it: the time of its counted test (Julian day, second of the day)
// and whether that test failed.
struct CountedUnit
{
    qint64 day = 0;
    int second = 0;
    bool failed = false;
};

struct AttributeSubgroup
{
    QString label; // "mm/dd/yy" of the day, "2024-W09" of the ISO week, the day of a run's last unit
    qint64 n = 0;
    qint64 failed = 0;
};

// The units in subgroups, in time order (units of one time keep their order). A run of
// consecutive units holds exactly grouping.units units: the most recent units that do not fill
// a run are left out, as a partial subgroup of a control chart is.
QList<AttributeSubgroup> GroupUnits(std::vector<CountedUnit> units, const UnitGrouping& grouping);

// Whether every subgroup has the same number of units (the np chart needs that).
bool HasCommonSize(const QList<AttributeSubgroup>& subgroups);

struct AttributePoint
{
    QString label;
    qint64 n = 0;
    qint64 failed = 0;
    double value = 0; // the fraction failed (p chart) or the count (np chart)
    double ucl = 0;
    double lcl = 0; // never below 0
    // (p - p̄) / σ of the subgroup: the value the run rules judge against zones at 1, 2 and 3;
    // NaN when σ is 0 (no unit or every unit failed).
    double z = 0;
};

struct AttributeChart
{
    bool np = false;
    double pBar = 0;   // Σ failed / Σ units
    double centre = 0; // p̄, or n·p̄ for the np chart
    qint64 units = 0;
    qint64 failed = 0;
    std::vector<AttributePoint> points;
};

// The p chart of subgroups (at least one unit in all): each point the fraction failed, its
// limits p̄ ± 3·√(p̄(1 − p̄)/n), stepped where n changes.
AttributeChart PChart(const QList<AttributeSubgroup>& subgroups);

// The np chart of subgroups of one size n: each point the count failed, the limits
// n·p̄ ± 3·√(n·p̄(1 − p̄)). std::nullopt when the sizes differ.
std::optional<AttributeChart> NpChart(const QList<AttributeSubgroup>& subgroups);

// The points that signal: judged by set on the standardized values against zones at 1, 2 and 3;
// without a set, by the control limits alone.
QVector<RuleMask> JudgeAttributeChart(const AttributeChart& chart, RuleSet set);
