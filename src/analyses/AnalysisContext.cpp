#include "AnalysisContext.h"

#include "Clock.h"
#include "Formats.h"
#include "QueryBuilder.h"
#include "SharedState.h"

QString RangeFootLine(const AnalysisContext& context)
{
    const Selection& selection = context.selection;
    const QString start = selection.product + QStringLiteral(" as ");
    const auto days = RangeDays(selection.range, context.clock.today(), context.state.gCustomDateFrom,
                                context.state.gCustomDateTo);
    if (!days) {
        return start + selection.range;
    }
    const QString dates = ShortDateText(days->first) + QStringLiteral(" to ") + ShortDateText(days->second);
    return selection.range == QLatin1String("Custom") ? start + dates
                                                      : start + selection.range + QStringLiteral(", ") + dates;
}
