#pragma once

#include "ChartModel.h"
#include "LimitsInForce.h"
#include "PointTimes.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class ChartRowStore;
class ListingLines;

// The points of an X-bar/R or individual/moving-range chart, built from a load's records in the
// chart's order: series 0 (subgroup means or values, labelled with the day) and series 4 (ranges
// or moving ranges, labelled with the source), the sums the statistics need and, when given the
// listing's lines, each used record's line. Only whole subgroups are used; a subgroup's values
// are checked when it is complete, so a partial last subgroup is never read.
//
// Stage starts (times to the second, ascending) cut the points into stages as a drawing of each
// stage alone would make them: a record at or after a start belongs to the new stage, subgroups
// start afresh there (a partial subgroup before it is left out) and so do moving ranges (the
// stage's first is 0). Undated records come before every start.
class ControlChartPoints
{
public:
    // subgroupSize: ignored for an individual chart. firstMovingRangeLabel: the label of the
    // first moving range (the source filter). lines: where the used records' lines go; none when
    // another thread writes them, which only works without stage starts.
    ControlChartPoints(bool individual, int subgroupSize, QString firstMovingRangeLabel, ListingLines* lines,
                       std::vector<qint64> stageStarts = {});

    // How many of `records` records a chart without stage starts uses: the whole subgroups, and
    // none of too few.
    qint64 recordsToUse(qint64 records) const;

    // Takes the store's record `row` as the chart's next record. False with error() set when a
    // value of a subgroup it completes is not a finite number.
    bool use(const ChartRowStore& store, quint32 row);

    qint64 rowsSeen() const { return m_rowsSeen; }
    qint64 recordsUsed() const { return m_recordsUsed; } // in whole subgroups
    qint64 pointCount() const { return m_data.count(); }
    QString error() const { return m_error; }

    SeriesPoints takeData() { return std::move(m_data); }
    SeriesPoints takeRanges() { return std::move(m_ranges); }
    PointTimes takeTimes() { return std::move(m_times); }

    // The sums of each stage's points, in order; the first holds the points before any start.
    const std::vector<PointSums>& stageSums() const { return m_stages; }
    // The first and the last record used, when they have times.
    std::optional<QDateTime> firstUsed() const;
    std::optional<QDateTime> lastUsed() const;

    double sumX = 0;
    double sumX2 = 0;
    double sumCentres = 0; // of subgroup means, or of the values
    double sumRanges = 0;  // of subgroup ranges, or of the moving ranges

private:
    bool useGroup(const ChartRowStore& store);
    // Before a record at `time` (ChartRowStore::time): ends the stage it starts a new one of.
    bool startStages(const ChartRowStore& store, qint64 time);
    const QString& dayText(qint64 time);

    bool m_individual;
    int m_groupSize;
    qint64 m_recordsBeforeUse; // records that must have come before the first is used
    ListingLines* m_lines;
    std::vector<quint32> m_pending;
    std::vector<double> m_subgroup;
    std::optional<double> m_previous;
    QString m_movingRangeLabel;
    SeriesPoints m_data;
    SeriesPoints m_ranges;
    qint64 m_rowsSeen = 0;
    qint64 m_recordsUsed = 0;
    QString m_error;
    std::vector<qint64> m_stageStarts;
    size_t m_nextStage = 0;
    std::vector<PointSums> m_stages{PointSums{}};
    PointTimes m_times;
    qint64 m_firstUsed = -1; // seconds of the first and last record used with a time; -1 none
    qint64 m_lastUsed = -1;

    qint64 m_labelDay = -1; // records come in time order: a day's label is made once
    QString m_dayText;      // "mm/dd"
};
