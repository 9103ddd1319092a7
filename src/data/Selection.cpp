#include "Selection.h"

#include "Prompts.h"
#include "QueryBuilder.h"
#include "SharedState.h"

SqlText SelectionSQL(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts,
                     const QString& parameterField, const QString& chartType, const QString& sortBy,
                     const QString& xSource, const QString& ySource)
{
    QString error;
    const SqlText range =
        GetTestedRange(selection.range, state.gDatabaseType, today, state.gCustomDateFrom, state.gCustomDateTo, &error);
    if (range.isEmpty()) {
        if (!error.isEmpty()) {
            prompts.message(error, MsgIcon::Exclamation, MsgButtons::OK);
        }
        return {};
    }
    const QueryContext context{state.gTableName,          state.gSerialNumberField, state.gATEIDField,
                               state.gTestStartTimeField, state.gPassFailField,     state.gTestIDField,
                               selection.acceptZero};
    const QString passCondition =
        selection.passOnly ? QStringLiteral("= ") + state.gPassIdentical : QStringLiteral("LIKE '%'");
    return SqlText(MakeSQL(context, parameterField, range.text, selection.source, sortBy,
                           selection.serialFilter.toUpper(), selection.testId, passCondition, selection.lastDataOnly,
                           chartType, xSource, ySource),
                   range.dates);
}

SqlText SelectionRowsSQL(const SharedState& state, Selection selection, const QDate& today, Prompts& prompts,
                         const QString& parameterField)
{
    selection.lastDataOnly = false;
    return SelectionSQL(state, selection, today, prompts, parameterField, QStringLiteral("Histogram"), QString());
}
