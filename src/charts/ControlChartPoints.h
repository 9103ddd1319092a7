#pragma once

#include "ChartModel.h"

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
class ControlChartPoints
{
public:
    // subgroupSize: ignored for an individual chart. firstMovingRangeLabel: the label of the
    // first moving range (the source filter). column: the parameter's column, named in errors.
    ControlChartPoints(bool individual, int subgroupSize, QString firstMovingRangeLabel, QString column,
                       QTextStream& listing);

    // Adds a batch of rows with the fields SNX, ATEX, DateX and ValueX (names: the batch's field
    // names). False with error() set when a value of a whole subgroup is not a finite number.
    bool add(const RowBatch& batch, const QStringList& names);

    qint64 rowsSeen() const { return m_rowsSeen; }
    qint64 recordsUsed() const { return m_recordsUsed; } // in whole subgroups
    qint64 pointCount() const { return m_data.count(); }
    QString error() const { return m_error; }

    SeriesPoints takeData() { return std::move(m_data); }
    SeriesPoints takeRanges() { return std::move(m_ranges); }

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
