#include "AnalysisQuery.h"

#include "EventPump.h"
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

BatchesRead ReadBatches(const AnalysisContext& context, QueryStream& stream, const SqlText& sql,
                        const std::function<bool(const RowBatch& batch, const QStringList& names)>& take,
                        QString& error)
{
    if (!stream.start(*context.state.gConnection, sql)) {
        error = stream.lastError();
        return BatchesRead::Failed;
    }
    ThrottledPump pump(context.pump);
    while (!stream.atEnd()) {
        if (const std::unique_ptr<RowBatch> batch = stream.next(context.pump.throttleMs())) {
            if (!take(*batch, stream.names())) {
                stream.stop();
                return BatchesRead::Ended;
            }
        }
        pump.maybePump();
    }
    error = stream.lastError();
    return error.isEmpty() ? BatchesRead::Done : BatchesRead::Failed;
}
