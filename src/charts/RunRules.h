#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <optional>
#include <span>

// Out-of-control rules over the plotted points of a control chart, without any window.
//
// The engine is fed the values as plotted and the UNROUNDED centre line and control limits.
// Zones are thirds of the distance from the centre to each limit: above the centre one zone is
// (ucl - centre) / 3, below it (centre - lcl) / 3, so asymmetric limits keep their own zones.
// "Beyond 1 sigma" on the upper side means x > centre + (ucl - centre) / 3, and so on.
//
// How patterns are judged:
// - A signal belongs to the point that completes the pattern, the last point of its window,
//   and that point is itself part of the pattern: for "2 of 3" and "4 of 5" it lies beyond the
//   zone on the side counted. A window counts only once all its points exist: the first point
//   that can carry "4 of 5" is the fifth of the series.
// - Every window position is judged on its own: a run of 10 on one side marks points 8, 9 and
//   10 with the 8-in-a-row rule. A point may complete several rules at once.
// - Comparisons are strict. A point on a zone boundary or on a limit is not beyond it; a point
//   on the centre line is on neither side and ends a one-side run; "within 1 sigma" means
//   strictly inside; two equal values in a row end a steady rise or fall and an alternation.
// - "6 in a row steadily increasing or decreasing" counts points: six points, five rises (or
//   five falls) in a row. "14 in a row alternating" likewise counts fourteen points.
// - Nelson's rule 8 asks for eight points in a row beyond 1 sigma, none inside, with points on
//   both sides of the centre among them; eight all on one side are not a mixture (they
//   complete other rules).
// - A missing value (NaN) carries no signal and ends every run through it; in a "2 of 3" or
//   "4 of 5" window it keeps its place as a point that is not beyond.
// - Without usable limits (ucl <= centre, lcl >= centre, or any of them not finite) no point
//   signals.

enum class RuleSet
{
    None,
    WesternElectric, // rules 1-4
    Nelson,          // rules 1-8, in Nelson's order
};

struct RuleLimits
{
    double centre = 0;
    double ucl = 0;
    double lcl = 0;
};

// The most points a pattern spans ("15 in a row within 1 sigma"): a new point can complete no
// pattern that starts further back.
inline constexpr qint64 kLongestPattern = 15;

// Bit (rule - 1) is set when the point completes that rule.
using RuleMask = quint16;

// One mask per value, in order (all zero for RuleSet::None or limits that are not usable).
QVector<RuleMask> FindSignals(RuleSet set, std::span<const double> values, const RuleLimits& limits);

// Rule 1 alone, for a range or moving-range chart: points above ucl or below lcl. Usable limits
// here are finite with ucl > lcl (a range chart's centre need not sit between thirds).
QVector<RuleMask> FindLimitSignals(std::span<const double> values, double ucl, double lcl);

// The rule's words for a tooltip, e.g. "2 of 3 beyond 2 sigma on the same side"; empty for a
// number the set does not have.
QString RuleDescription(RuleSet set, int rule);

// The rule numbers in a mask, ascending.
QList<int> RulesOf(RuleMask mask);

// The names used in settings and on the command line: "none", "we", "nelson" (case and
// surrounding blanks ignored). An unknown name is std::nullopt, for the caller to report.
std::optional<RuleSet> RuleSetFromName(const QString& name);
QString RuleSetName(RuleSet set);

// How many points signal and which rules they complete, for the panel line.
struct SignalSummary
{
    qsizetype points = 0;
    QList<int> rules; // distinct, ascending

    // "Signals: 7 points (rules 1, 2, 5)", "Signals: 1 point (rule 1)" or "Signals: none".
    QString text() const;
};

SignalSummary SummariseSignals(const QVector<RuleMask>& marks);
