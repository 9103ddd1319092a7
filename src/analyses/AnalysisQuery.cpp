#include "AnalysisQuery.h"

#include "Prompts.h"
#include "Recordset.h"
#include "SharedState.h"

AnalysisOutcome ShowNoData(Prompts& prompts)
{
    prompts.message(kNoDataMessage, MsgIcon::Exclamation, MsgButtons::OK);
    return AnalysisOutcome::NoChart;
}

AnalysisOutcome ShowRunTimeError(Prompts& prompts, const QString& description)
{
    prompts.message(description + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    return AnalysisOutcome::Failed;
}

bool OpenAnalysisRecords(const AnalysisContext& context, Recordset& records, const SqlText& sql,
                         const Recordset::Watch& watch)
{
    if (!records.Open(*context.state.gConnection, sql, watch)) {
        if (!records.stopped()) {
            ShowRunTimeError(context.prompts, records.lastError());
        }
        return false;
    }
    return true;
}
