#include "AttributeChartMath.h"

#include "Formats.h"

#include <algorithm>
#include <cmath>

std::optional<UnitGrouping> UnitGrouping::fromText(const QString& text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("day")) {
        return UnitGrouping{Kind::Day};
    }
    if (word == QLatin1String("week")) {
        return UnitGrouping{Kind::Week};
    }
    bool ok = false;
    const int units = word.toInt(&ok);
    if (ok && units >= 2) {
        return UnitGrouping{Kind::Units, units};
    }
    return std::nullopt;
}

QString UnitGrouping::text() const
{
    switch (kind) {
    case Kind::Day:
        return QStringLiteral("day");
    case Kind::Week:
        return QStringLiteral("week");
    case Kind::Units:
        break;
    }
    return QString::number(units);
}

namespace {

QString dayLabel(qint64 day)
{
    return FormatDate(QDate::fromJulianDay(day), QStringLiteral("mm/dd/yy"));
}

QString weekLabel(qint64 day)
{
    int year = 0;
    const int week = QDate::fromJulianDay(day).weekNumber(&year);
    return QStringLiteral("%1-W%2").arg(year).arg(week, 2, 10, QLatin1Char('0'));
}

// The key of a unit's subgroup for the calendar groupings: its day, or the Monday of its week.
qint64 calendarKey(const CountedUnit& unit, UnitGrouping::Kind kind)
{
    return kind == UnitGrouping::Kind::Week ? unit.day - QDate::fromJulianDay(unit.day).dayOfWeek() + 1 : unit.day;
}

// σ of a subgroup of n units around p̄.
double pSigma(double pBar, qint64 n)
{
    return std::sqrt(pBar * (1 - pBar) / static_cast<double>(n));
}

AttributeChart totals(const QList<AttributeSubgroup>& subgroups)
{
    AttributeChart chart;
    for (const AttributeSubgroup& s : subgroups) {
        chart.units += s.n;
        chart.failed += s.failed;
    }
    chart.pBar = chart.units > 0 ? static_cast<double>(chart.failed) / static_cast<double>(chart.units) : 0;
    return chart;
}

} // namespace

QList<AttributeSubgroup> GroupUnits(std::vector<CountedUnit> units, const UnitGrouping& grouping)
{
    const auto earlier = [](const CountedUnit& a, const CountedUnit& b) {
        return a.day < b.day || (a.day == b.day && a.second < b.second);
    };
    if (!std::is_sorted(units.begin(), units.end(), earlier)) {
        std::stable_sort(units.begin(), units.end(), earlier);
    }
    QList<AttributeSubgroup> subgroups;
    if (grouping.kind == UnitGrouping::Kind::Units) {
        const size_t size = static_cast<size_t>(std::max(grouping.units, 1));
        for (size_t first = 0; first + size <= units.size(); first += size) {
            AttributeSubgroup& s = subgroups.emplace_back();
            s.n = static_cast<qint64>(size);
            s.failed = std::count_if(units.begin() + qsizetype(first), units.begin() + qsizetype(first + size),
                                     [](const CountedUnit& u) { return u.failed; });
            s.label = dayLabel(units[first + size - 1].day);
        }
        return subgroups;
    }
    qint64 key = 0;
    for (const CountedUnit& unit : units) {
        const qint64 unitKey = calendarKey(unit, grouping.kind);
        if (subgroups.isEmpty() || unitKey != key) {
            key = unitKey;
            subgroups.append({grouping.kind == UnitGrouping::Kind::Week ? weekLabel(key) : dayLabel(key), 0, 0});
        }
        ++subgroups.last().n;
        subgroups.last().failed += unit.failed ? 1 : 0;
    }
    return subgroups;
}

bool HasCommonSize(const QList<AttributeSubgroup>& subgroups)
{
    return std::all_of(subgroups.begin(), subgroups.end(),
                       [&](const AttributeSubgroup& s) { return s.n == subgroups.first().n; });
}

AttributeChart PChart(const QList<AttributeSubgroup>& subgroups)
{
    AttributeChart chart = totals(subgroups);
    chart.centre = chart.pBar;
    for (const AttributeSubgroup& s : subgroups) {
        const double sigma = pSigma(chart.pBar, s.n);
        const double p = static_cast<double>(s.failed) / static_cast<double>(s.n);
        chart.points.push_back({s.label, s.n, s.failed, p, chart.pBar + 3 * sigma,
                                std::max(0.0, chart.pBar - 3 * sigma),
                                sigma > 0 ? (p - chart.pBar) / sigma : std::nan("")});
    }
    return chart;
}

std::optional<AttributeChart> NpChart(const QList<AttributeSubgroup>& subgroups)
{
    if (subgroups.isEmpty() || !HasCommonSize(subgroups)) {
        return std::nullopt;
    }
    AttributeChart chart = totals(subgroups);
    chart.np = true;
    const double n = static_cast<double>(subgroups.first().n);
    chart.centre = n * chart.pBar;
    const double sigma = std::sqrt(chart.centre * (1 - chart.pBar));
    for (const AttributeSubgroup& s : subgroups) {
        const double count = static_cast<double>(s.failed);
        chart.points.push_back({s.label, s.n, s.failed, count, chart.centre + 3 * sigma,
                                std::max(0.0, chart.centre - 3 * sigma),
                                sigma > 0 ? (count - chart.centre) / sigma : std::nan("")});
    }
    return chart;
}

QVector<RuleMask> JudgeAttributeChart(const AttributeChart& chart, RuleSet set)
{
    std::vector<double> z;
    z.reserve(chart.points.size());
    for (const AttributePoint& point : chart.points) {
        z.push_back(point.z);
    }
    return set == RuleSet::None ? FindLimitSignals(z, 3, -3) : FindSignals(set, z, {0, 3, -3});
}
