#include "RunRules.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace {

// Where one value lies against the centre line and the zones.
struct ZonePlace
{
    bool above = false; // strictly above the centre line
    bool below = false;
    bool aboveOneSigma = false; // strictly beyond the zone boundary on that side
    bool belowOneSigma = false;
    bool aboveTwoSigma = false;
    bool belowTwoSigma = false;
    bool beyondLimit = false;
    bool withinOneSigma = false; // strictly inside both 1-sigma boundaries
};

struct ZoneBoundaries
{
    double centre = 0, upperOne = 0, upperTwo = 0, ucl = 0, lowerOne = 0, lowerTwo = 0, lcl = 0;

    explicit ZoneBoundaries(const RuleLimits& limits)
        : centre(limits.centre), upperOne(limits.centre + (limits.ucl - limits.centre) / 3),
          upperTwo(limits.centre + 2 * (limits.ucl - limits.centre) / 3), ucl(limits.ucl),
          lowerOne(limits.centre - (limits.centre - limits.lcl) / 3),
          lowerTwo(limits.centre - 2 * (limits.centre - limits.lcl) / 3), lcl(limits.lcl)
    {
    }

    // Every comparison with NaN is false, so a missing value is on no side and in no zone.
    ZonePlace placeOf(double x) const
    {
        ZonePlace place;
        place.above = x > centre;
        place.below = x < centre;
        place.aboveOneSigma = x > upperOne;
        place.belowOneSigma = x < lowerOne;
        place.aboveTwoSigma = x > upperTwo;
        place.belowTwoSigma = x < lowerTwo;
        place.beyondLimit = x > ucl || x < lcl;
        place.withinOneSigma = x > lowerOne && x < upperOne;
        return place;
    }
};

// The patterns that end at one point; each rule of a set is a condition on them.
struct PatternsAtPoint
{
    bool beyondLimit = false;
    bool twoOfThreeBeyondTwoSigma = false; // the point itself among them
    bool fourOfFiveBeyondOneSigma = false; // the point itself among them
    qsizetype oneSideRun = 0;              // points in a row strictly on the point's side
    qsizetype trendRun = 0;                // points in a row steadily rising, or steadily falling
    qsizetype alternatingRun = 0;          // points in a row going up and down in turn
    qsizetype withinOneSigmaRun = 0;
    qsizetype beyondOneSigmaRun = 0;
    qsizetype bothSidesSpan = 0; // the fewest last points holding a point beyond 1 sigma on each side
};

// Walks the series once, keeping running counts; calls visit(index, patterns) for every point.
template <typename Visit> void ScanPatterns(std::span<const double> values, const ZoneBoundaries& zones, Visit visit)
{
    constexpr qsizetype kNever = -1;
    std::array<ZonePlace, 5> recent{}; // the last five places, by index modulo 5
    int upperTwoInThree = 0, lowerTwoInThree = 0, upperOneInFive = 0, lowerOneInFive = 0;
    qsizetype above = 0, below = 0, rising = 0, falling = 0, alternating = 0, within = 0, beyondOne = 0;
    qsizetype lastUpperOne = kNever, lastLowerOne = kNever;
    int lastStep = 0; // +1 up, -1 down, 0 level or no step

    for (qsizetype i = 0; i < std::ssize(values); ++i) {
        const double x = values[i];
        const ZonePlace place = zones.placeOf(x);
        const ZonePlace& leavingFive = recent[static_cast<size_t>(i % 5)];
        const ZonePlace& leavingThree = recent[static_cast<size_t>((i + 2) % 5)];
        if (i >= 3) {
            upperTwoInThree -= leavingThree.aboveTwoSigma;
            lowerTwoInThree -= leavingThree.belowTwoSigma;
        }
        if (i >= 5) {
            upperOneInFive -= leavingFive.aboveOneSigma;
            lowerOneInFive -= leavingFive.belowOneSigma;
        }
        upperTwoInThree += place.aboveTwoSigma;
        lowerTwoInThree += place.belowTwoSigma;
        upperOneInFive += place.aboveOneSigma;
        lowerOneInFive += place.belowOneSigma;
        recent[static_cast<size_t>(i % 5)] = place;

        // A step to or from a missing value is no step, like a level one.
        const int step = i > 0 ? (x > values[i - 1]) - (x < values[i - 1]) : 0;
        rising = step > 0 ? rising + 1 : 1;
        falling = step < 0 ? falling + 1 : 1;
        alternating = step == 0 ? 1 : step == -lastStep ? alternating + 1 : 2;
        lastStep = step;

        above = place.above ? above + 1 : 0;
        below = place.below ? below + 1 : 0;
        within = place.withinOneSigma ? within + 1 : 0;
        beyondOne = place.aboveOneSigma || place.belowOneSigma ? beyondOne + 1 : 0;
        lastUpperOne = place.aboveOneSigma ? i : lastUpperOne;
        lastLowerOne = place.belowOneSigma ? i : lastLowerOne;

        PatternsAtPoint p;
        p.beyondLimit = place.beyondLimit;
        p.twoOfThreeBeyondTwoSigma =
            i >= 2 && ((place.aboveTwoSigma && upperTwoInThree >= 2) || (place.belowTwoSigma && lowerTwoInThree >= 2));
        p.fourOfFiveBeyondOneSigma =
            i >= 4 && ((place.aboveOneSigma && upperOneInFive >= 4) || (place.belowOneSigma && lowerOneInFive >= 4));
        p.oneSideRun = std::max(above, below);
        p.trendRun = std::max(rising, falling);
        p.alternatingRun = alternating;
        p.withinOneSigmaRun = within;
        p.beyondOneSigmaRun = beyondOne;
        p.bothSidesSpan = lastUpperOne == kNever || lastLowerOne == kNever
                              ? std::numeric_limits<qsizetype>::max()
                              : i - std::min(lastUpperOne, lastLowerOne) + 1;
        visit(i, p);
    }
}

struct RuleDefinition
{
    const char* description;
    bool (*completedBy)(const PatternsAtPoint&);
};

constexpr RuleDefinition kBeyondLimit{"1 point beyond a control limit",
                                      [](const PatternsAtPoint& p) { return p.beyondLimit; }};
constexpr RuleDefinition kTwoOfThree{"2 of 3 beyond 2 sigma on the same side",
                                     [](const PatternsAtPoint& p) { return p.twoOfThreeBeyondTwoSigma; }};
constexpr RuleDefinition kFourOfFive{"4 of 5 beyond 1 sigma on the same side",
                                     [](const PatternsAtPoint& p) { return p.fourOfFiveBeyondOneSigma; }};

constexpr std::array kWesternElectricRules{
    kBeyondLimit,
    kTwoOfThree,
    kFourOfFive,
    RuleDefinition{"8 in a row on one side of the centre line",
                   [](const PatternsAtPoint& p) { return p.oneSideRun >= 8; }},
};

constexpr std::array kNelsonRules{
    kBeyondLimit,
    RuleDefinition{"9 in a row on one side of the centre line",
                   [](const PatternsAtPoint& p) { return p.oneSideRun >= 9; }},
    RuleDefinition{"6 in a row steadily increasing or decreasing",
                   [](const PatternsAtPoint& p) { return p.trendRun >= 6; }},
    RuleDefinition{"14 in a row alternating up and down",
                   [](const PatternsAtPoint& p) { return p.alternatingRun >= 14; }},
    kTwoOfThree,
    kFourOfFive,
    RuleDefinition{"15 in a row within 1 sigma", [](const PatternsAtPoint& p) { return p.withinOneSigmaRun >= 15; }},
    RuleDefinition{"8 in a row beyond 1 sigma on both sides",
                   [](const PatternsAtPoint& p) { return p.beyondOneSigmaRun >= 8 && p.bothSidesSpan <= 8; }},
};

std::span<const RuleDefinition> RulesOfSet(RuleSet set)
{
    switch (set) {
    case RuleSet::WesternElectric:
        return kWesternElectricRules;
    case RuleSet::Nelson:
        return kNelsonRules;
    case RuleSet::None:
        break;
    }
    return {};
}

bool AreUsableLimits(const RuleLimits& l)
{
    return std::isfinite(l.centre) && std::isfinite(l.ucl) && std::isfinite(l.lcl) && l.ucl > l.centre &&
           l.lcl < l.centre;
}

} // namespace

QVector<RuleMask> FindSignals(RuleSet set, std::span<const double> values, const RuleLimits& limits)
{
    QVector<RuleMask> marks(std::ssize(values), 0);
    const std::span<const RuleDefinition> rules = RulesOfSet(set);
    if (rules.empty() || !AreUsableLimits(limits)) {
        return marks;
    }
    ScanPatterns(values, ZoneBoundaries(limits), [&](qsizetype i, const PatternsAtPoint& p) {
        RuleMask mask = 0;
        for (size_t r = 0; r < rules.size(); ++r) {
            if (rules[r].completedBy(p)) {
                mask |= RuleMask(1u << r);
            }
        }
        marks[i] = mask;
    });
    return marks;
}

QVector<RuleMask> FindLimitSignals(std::span<const double> values, double ucl, double lcl)
{
    QVector<RuleMask> marks(std::ssize(values), 0);
    if (!std::isfinite(ucl) || !std::isfinite(lcl) || ucl <= lcl) {
        return marks;
    }
    for (qsizetype i = 0; i < std::ssize(values); ++i) {
        marks[i] = values[i] > ucl || values[i] < lcl ? 1 : 0;
    }
    return marks;
}

QString RuleDescription(RuleSet set, int rule)
{
    const std::span<const RuleDefinition> rules = RulesOfSet(set);
    if (rule < 1 || static_cast<size_t>(rule) > rules.size()) {
        return {};
    }
    return QString::fromLatin1(rules[static_cast<size_t>(rule - 1)].description);
}

QList<int> RulesOf(RuleMask mask)
{
    QList<int> rules;
    for (int bit = 0; bit < std::numeric_limits<RuleMask>::digits; ++bit) {
        if (mask & (1u << bit)) {
            rules.append(bit + 1);
        }
    }
    return rules;
}

std::optional<RuleSet> RuleSetFromName(const QString& name)
{
    for (const RuleSet set : {RuleSet::None, RuleSet::WesternElectric, RuleSet::Nelson}) {
        if (name.trimmed().compare(RuleSetName(set), Qt::CaseInsensitive) == 0) {
            return set;
        }
    }
    return std::nullopt;
}

QString RuleSetName(RuleSet set)
{
    switch (set) {
    case RuleSet::WesternElectric:
        return QStringLiteral("we");
    case RuleSet::Nelson:
        return QStringLiteral("nelson");
    case RuleSet::None:
        break;
    }
    return QStringLiteral("none");
}

QString SignalSummary::text() const
{
    if (points == 0) {
        return QStringLiteral("Signals: none");
    }
    QStringList numbers;
    for (const int rule : rules) {
        numbers.append(QString::number(rule));
    }
    return QStringLiteral("Signals: %1 %2 (%3 %4)")
        .arg(points)
        .arg(points == 1 ? QStringLiteral("point") : QStringLiteral("points"))
        .arg(rules.size() == 1 ? QStringLiteral("rule") : QStringLiteral("rules"))
        .arg(numbers.join(QStringLiteral(", ")));
}

SignalSummary SummariseSignals(const QVector<RuleMask>& marks)
{
    SignalSummary summary;
    RuleMask all = 0;
    for (const RuleMask mask : marks) {
        summary.points += mask != 0;
        all |= mask;
    }
    summary.rules = RulesOf(all);
    return summary;
}
