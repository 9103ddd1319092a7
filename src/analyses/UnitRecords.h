#pragma once

#include "AnalysisContext.h"
#include "SqlText.h"

#include <QStringList>
#include <QStringView>
#include <functional>
#include <utility>
#include <vector>

struct RecordColumn;
struct RowBatch;

// What the yield, failure and station analyses read: every record of the selection with its
// verdict, grouped into units by serial number.

// Units by serial number: each new serial gets the next number from 0. The serials are kept in
// one block of text, so a million units cost tens of megabytes rather than hundreds.
class SerialNumbers
{
public:
    // Without regard to case for the tables imported from Jet and Excel, which compare so.
    explicit SerialNumbers(Qt::CaseSensitivity sensitivity);

    // The unit of a serial, and whether the serial is new. An empty serial (Null in the table) is
    // a unit of its own every time.
    std::pair<quint32, bool> unitOf(QStringView serial);
    quint32 count() const { return m_units; }

private:
    bool sameText(quint32 entry, QStringView text) const;
    void grow();

    Qt::CaseSensitivity m_sensitivity;
    quint32 m_units = 0;
    std::vector<char16_t> m_text;  // the serials one after the other
    std::vector<quint32> m_starts; // per serial kept, where it starts in m_text; one more at the end
    std::vector<size_t> m_hashes;  // per serial kept
    std::vector<quint32> m_unitOf; // per serial kept, its unit
    std::vector<quint32> m_slots;  // open addressing: index into the serials kept, or kFree
};

// The statement of the records of a selection, whatever their verdict (MakeSQL's "Yield" kind):
// SNX, ATEX, DateX, PassX and the given parameter columns as Value0, Value1, ... in time, source
// and serial order. Empty when the range cannot be used (the user has been told why).
SqlText UnitStatement(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts,
                      const QStringList& columns);

// Where the fields of that statement are in its rows.
struct UnitFields
{
    int serial = -1;
    int source = -1;
    int time = -1;
    int passed = -1;
    std::vector<int> values; // Value0, Value1, ...
};

// One record of that statement as the analyses see it.
struct UnitRecord
{
    const RowBatch& batch;
    const UnitFields& fields;
    qint64 row = 0;           // within the batch
    quint32 unit = 0;         // by serial
    bool firstOfUnit = false; // the unit's first record in the statement's order: its first test
    bool passed = false;      // PassX is 1
    bool dated = false;       // the record has a start time
    qint64 day = 0;           // Julian day of the start time
    int second = 0;           // of the day

    QString source() const;                    // ATEX
    QString serial() const;                    // SNX
    const RecordColumn& value(size_t k) const; // Value<k>
};

// Runs sql on the shared connection and hands its records to take in the statement's order, as
// they arrive from the engine, letting window events run through the context's pump. take
// returns false to end the reading with error set. false when the reading ended early; error
// then holds the engine's or take's description.
bool ReadUnitRecords(const AnalysisContext& context, const SqlText& sql,
                     const std::function<bool(const UnitRecord&)>& take, QString& error);
