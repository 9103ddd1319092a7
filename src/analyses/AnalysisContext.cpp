#include "AnalysisContext.h"

#include "Formats.h"

QString RangeFootLine(const QString& product, const QDate& from, const QDate& to)
{
    return product + QStringLiteral(" as ") + ShortDateText(from.isValid() ? from : kZeroDate) +
           QStringLiteral(" to ") + ShortDateText(to.isValid() ? to : kZeroDate);
}
