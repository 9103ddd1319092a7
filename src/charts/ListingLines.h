#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <vector>

class ChartRowStore;
class RawDataListing;

// The raw-data listing's line of each record a control chart uses, in the chart's order: the
// serial padded to 15 (a longer one whole), the value as written ("##0.000"), the source and
// the date as written ("mm/dd/yyyy hh:mm AM/PM"), tab-separated, for an individual chart also
// the record's number, each line ending in CR LF.
class ListingLines
{
public:
    ListingLines(bool numbered, RawDataListing& listing);

    // Writes the line of the store's record `row`, the chart's record number `record` (from 1).
    void write(const ChartRowStore& store, quint32 row, qint64 record);

private:
    void appendSerial(QByteArrayView serial);
    void appendValue(double value);
    void appendDate(qint64 time);

    bool m_numbered;
    RawDataListing& m_listing;
    QHash<double, QByteArray> m_valueTexts;   // by whole thousandths
    QHash<double, QByteArray> m_halfwayTexts; // values about half a thousandth, by themselves
    // Date texts, made once per day and per minute of the day: records come in time order.
    qint64 m_day = -1;
    QByteArray m_dayText;                                                          // "mm/dd/yyyy "
    std::vector<QByteArray> m_minuteOfDayTexts = std::vector<QByteArray>(24 * 60); // "hh:mm AM/PM"
};
