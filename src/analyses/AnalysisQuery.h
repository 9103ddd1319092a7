#pragma once

#include "AnalysisContext.h"
#include "Recordset.h"
#include "SqlText.h"

#include <QString>
#include <functional>

// What the analyses share in running their statements and reporting their failures.

// The message of an analysis that found nothing to draw.
inline const QString kNoDataMessage = QStringLiteral("No data collection for this selected range of filter condition!");

// Shows kNoDataMessage (exclamation icon, OK); returns AnalysisOutcome::NoChart to end with.
AnalysisOutcome ShowNoData(Prompts& prompts);

// Shows a run-time error as its description + "!" (exclamation icon, OK); returns
// AnalysisOutcome::Failed to end with.
AnalysisOutcome ShowRunTimeError(Prompts& prompts, const QString& description);

// The rows of sql on the shared connection, all fetched: the count is exact and MoveFirst goes
// back to the first row. false after ShowRunTimeError with the engine's description, or silently
// when watch stopped the reading.
bool OpenAnalysisRecords(const AnalysisContext& context, Recordset& records, const SqlText& sql,
                         const Recordset::Watch& watch = {});

// How reading an analysis's values ended.
enum class ValuesRead
{
    Done,
    NoStatement, // the range cannot be used (the user has been told why)
    Failed,      // a run-time error: the engine's, or a value that is no finite number
};

// How reading a statement's rows batch by batch ended.
enum class BatchesRead
{
    Done,   // every row was taken
    Ended,  // the taker wanted no more
    Failed, // the engine failed: error holds its description
};

// Runs sql on the shared connection through stream and hands each batch of rows to take, with
// the field names, letting window events run meanwhile. take returns false to read no further.
BatchesRead ReadBatches(const AnalysisContext& context, QueryStream& stream, const SqlText& sql,
                        const std::function<bool(const RowBatch& batch, const QStringList& names)>& take,
                        QString& error);
