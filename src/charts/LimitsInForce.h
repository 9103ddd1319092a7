#pragma once

#include "ControlChartMath.h"
#include "LimitSets.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

class PointTimes;

// Which control limits judge and draw the points of a control chart: computed from the drawing,
// computed per stage, or a frozen set. Widget-free; the loaders get the request with their
// selection and hand the result to the drawing and the run rules.

// What the caller found in the limit file for the chart's key.
struct LimitsRequest
{
    std::optional<LimitSet> frozen; // draw with this set
    QList<StageStart> stages;       // of the product's parameter, by start; applied when no set is frozen
    QString fileProblem;            // why the limit file could not be used; "" when it could
};

// The sums of the points of one stage of a drawing (the whole drawing without stages).
struct PointSums
{
    qint64 firstPoint = 0;
    int stage = -1; // index into the request's stages; -1 before the first stage start
    qint64 points = 0;
    qint64 records = 0;
    double sumX = 0, sumX2 = 0;
    double sumCentres = 0; // of subgroup means, or of the values
    double sumRanges = 0;  // of subgroup ranges, or of moving ranges (0 at each stage's first point)
};

enum class LimitSource
{
    Computed,
    Frozen,
    Stages,
};

// The limits in force over one run of points: from firstPoint to the next segment's first point.
struct LimitSegment
{
    qint64 firstPoint = 0;
    std::optional<StageStart> stage; // the stage the points belong to; none before the first start
    double centre = 0;               // unrounded
    double rBar = 0;
    ProcessStatistics statistics; // capability against the specification with this segment's sigma
    ControlLimits limits;
};

struct LimitsInForce
{
    LimitSource source = LimitSource::Computed;
    std::vector<LimitSegment> segments; // one at least once drawn; the first starts at point 0
    std::optional<LimitSet> frozen;
    qint64 baselinePoints = 0;  // with a frozen set: the first points, which lie in its baseline's period
    bool stagesIgnored = false; // stage starts fall inside the drawing but a frozen set is in force
    QString fileProblem;

    // The segment of the last point: the limits in force now.
    const LimitSegment& current() const { return segments.back(); }
    const LimitSegment& segmentOf(qint64 point) const;
    // The panel's line about them: "Limits: frozen 2026-12-01 from 2026-11-01 to 2026-11-21, 105
    // subgroups", "Limits: 3 stages, in force: New fixture from 2026-11-20 08:00", with "; stages
    // not applied" or the limit file's problem added; "" for limits computed from the drawing.
    QString summary() const;
};

// The limits in force over a drawing's points. stageSums: the sums of each stage's points, in
// order (one for a drawing without stages); overall: the statistics of every point, whose
// centre is overallCentre. A frozen set draws its lines as stored and judges capability with
// its sigma around the drawing's centre; stages get limits from their own points.
LimitsInForce ResolveLimits(const LimitsRequest& request, const std::vector<PointSums>& stageSums,
                            const ProcessStatistics& overall, double overallCentre, const PointTimes& times, double usl,
                            double lsl, const ControlChartConstants& constants, bool isXBar, int n);

// A frozen set's lines as ControlLimits: exact as stored, rounded for display; sigma and the
// indices as given.
ControlLimits FrozenControlLimits(const LimitSet& set, const ProcessStatistics& capability);
