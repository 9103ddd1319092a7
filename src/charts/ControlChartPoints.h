#pragma once

#include "ChartModel.h"
#include "LimitsInForce.h"
#include "PointTimes.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>
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

    bool individual() const { return m_individual; }
    qint64 rowsSeen() const { return m_rowsSeen; }
    qint64 recordsUsed() const { return m_recordsUsed; } // in whole subgroups
    qint64 pointCount() const { return m_data.count(); }
    QString error() const { return m_error; }

    // The points made since the last take; the points that follow go on numbering after them.
    SeriesPoints takeData();
    SeriesPoints takeRanges() { return std::move(m_ranges); }
    PointTimes takeTimes() { return std::move(m_times); }
    PointTimes takeLastTimes() { return std::move(m_lastTimes); } // of each point's last record
    // Of an X-bar chart, each point's sum of its squared values (an individual point's is its value squared).
    std::vector<double> takeSquares() { return std::move(m_squares); }

    // For a chart that goes on: the records that wait for the rest of their subgroup move from
    // the store they were read into to the store of the next records.
    void moveWaiting(const ChartRowStore& from, ChartRowStore& to);
    void setLines(ListingLines* lines) { m_lines = lines; }
    // Keeps the serials of each point's records from now on, as listed (trimmed, upper case).
    void keepSerials() { m_keepSerials = true; }
    std::vector<QStringList> takeSerials() { return std::move(m_serials); }
    // Takes the first points of the chart out of the sums and the stages, given their centres,
    // ranges and (X-bar) sums of squares; the stages' first points move down by their count.
    void forgetFirstPoints(std::span<const double> centres, std::span<const double> ranges,
                           std::span<const double> squares);
    // Sets the first point's moving range to 0, as a chart starting there has it (individual).
    void restartMovingRange(double firstRange);

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
    PointTimes m_lastTimes;
    std::vector<double> m_squares;
    bool m_keepSerials = false;
    std::vector<QStringList> m_serials;
    qint64 m_pointsTaken = 0;
    qint64 m_firstUsed = -1; // seconds of the first and last record used with a time; -1 none
    qint64 m_lastUsed = -1;

    qint64 m_labelDay = -1; // records come in time order: a day's label is made once
    QString m_dayText;      // "mm/dd"
};
