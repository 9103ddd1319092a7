#pragma once

#include "AnalysisContext.h"
#include "Recordset.h"
#include "SqlText.h"

#include <QString>

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
