#pragma once

#include "ChartModel.h"
#include "LimitsInForce.h"
#include "PointTimes.h"

#include <QHash>
#include <QString>
#include <QTextStream>
#include <QVariant>
#include <optional>
#include <vector>

struct RowBatch;

// The points of an X-bar/R or individual/moving-range chart, built from a query's rows as they
// arrive: series 0 (subgroup means or values, labelled with the day) and series 4 (ranges or
// moving ranges, labelled with the source), the lines of the raw-data listing, and the sums the
// statistics need. Only whole subgroups are used; a subgroup's values are checked when it is
// complete, so a partial last subgroup is never read.
//
// Stage starts (times to the second, ascending) cut the points into stages as a drawing of each
// stage alone would make them: a record at or after a start belongs to the new stage, subgroups
// start afresh there (a partial subgroup before it is left out) and so do moving ranges (the
// stage's first is 0). Undated records come before every start.
class ControlChartPoints
{
public:
    // subgroupSize: ignored for an individual chart. firstMovingRangeLabel: the label of the
    // first moving range (the source filter). column: the parameter's column, named in errors.
    ControlChartPoints(bool individual, int subgroupSize, QString firstMovingRangeLabel, QString column,
                       QTextStream& listing, std::vector<qint64> stageStarts = {});

    // Adds a batch of rows with the fields SNX, ATEX, DateX and ValueX (names: the batch's field
    // names). False with error() set when a value of a whole subgroup is not a finite number.
    bool add(const RowBatch& batch, const QStringList& names);

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
    struct Record
    {
        QString serial;
        QString source;
        bool dated = false;
        qint64 day = 0;
        int second = 0;
        std::optional<double> value;
        QVariant shown; // the value as read, when it is no number
    };
    bool useGroup();
    // Before a record at seconds (day * 86400 + second): ends the stage it starts a new one of.
    bool startStages(bool dated, qint64 seconds);
    const QString& minuteText(const Record& r);
    const QString& dayText(const Record& r);
    const QString& valueText(double value);

    bool m_individual;
    int m_groupSize;
    qint64 m_recordsBeforeUse; // records that must have come before the first is used
    QString m_column;
    QTextStream& m_listing;
    std::vector<Record> m_pending;
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

    // Texts kept while consecutive records give the same one: records come in time order, and
    // measurements repeat.
    qint64 m_minuteKey = -1;
    QString m_minuteText;
    qint64 m_dayKey = -1;
    QString m_dayText;
    qint64 m_listingDay = -1;
    QString m_listingDayText;
    std::vector<QString> m_minuteOfDayTexts = std::vector<QString>(24 * 60);
    QHash<qint64, QString> m_valueTexts; // by thousandths
    QString m_valueText;
};
