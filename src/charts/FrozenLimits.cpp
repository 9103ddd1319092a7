#include "FrozenLimits.h"

#include "ControlChartLoader.h"
#include "Formats.h"
#include "SharedState.h"

#include <QStringList>

namespace {

QString shownValue(double v)
{
    return StatisticText(Round3(v));
}

QString shownCount(qint64 n)
{
    return FormatNumber(static_cast<double>(n), QStringLiteral("#,##0"));
}

QString shownMinute(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("(no time)");
}

} // namespace

LimitKey ControlChartKey(const SharedState& state, const Selection& selection, bool individual, int subgroupSize)
{
    LimitKey key;
    key.product = selection.product;
    key.parameter = state.gParameterField.value(selection.parameter);
    key.chart = individual ? LimitChartKind::Individual : LimitChartKind::XBar;
    key.subgroupSize = individual ? 1 : subgroupSize;
    key.source = selection.source.isEmpty() ? kAll : selection.source;
    return key;
}

LimitsRequest LimitsFromFile(const LimitFileRead& file, const LimitKey& key, bool useFrozen, bool useStages)
{
    LimitsRequest request;
    request.fileProblem = file.problem;
    if (const LimitSet* set = useFrozen ? file.store.find(key) : nullptr) {
        request.frozen = *set;
    }
    if (useStages) {
        request.stages = file.store.stagesOf(key.product, key.parameter);
    }
    return request;
}

LimitSet FrozenFromDrawing(const PlotResult& plot, const LimitKey& key, const Selection& selection,
                           const ControlChartConstants& constants, const QDateTime& at, const QString& by,
                           const QString& comment)
{
    const bool isXBar = key.chart == LimitChartKind::XBar;
    const ControlLimits whole =
        ComputeControlLimits(constants, isXBar, key.subgroupSize, plot.centre, plot.rBar, {}, {}, {}, {}, {});
    const double d2 = constants.d2.at(static_cast<size_t>(isXBar ? key.subgroupSize - 2 : 0));
    LimitSet set;
    set.key = key;
    set.centre = whole.exact.cl;
    set.ucl = whole.exact.ucl;
    set.lcl = whole.exact.lcl;
    set.rangeCentre = plot.rBar;
    set.rangeUcl = whole.exact.rangeUcl;
    set.rangeLcl = whole.exact.rangeLcl;
    set.sigma = plot.rBar / d2;
    LimitBaseline& b = set.baseline;
    b.first = plot.firstRecord.value_or(QDateTime());
    b.last = plot.lastRecord.value_or(QDateTime());
    b.source = key.source;
    b.testId = selection.testId;
    b.passOnly = selection.passOnly;
    b.lastDataOnly = selection.lastDataOnly;
    b.acceptZero = selection.acceptZero;
    b.points = plot.times.count();
    b.records = plot.records;
    set.frozenAt = at;
    set.frozenBy = by;
    set.comment = comment;
    return set;
}

QString FrozenSetDescription(const LimitSet& set)
{
    const LimitBaseline& b = set.baseline;
    const bool isXBar = set.key.chart == LimitChartKind::XBar;
    return QStringList{
        set.key.text(),
        QStringLiteral("%1: UCL %2, CL %3, LCL %4")
            .arg(isXBar ? QStringLiteral("X-bar chart") : QStringLiteral("Individual chart"), shownValue(set.ucl),
                 shownValue(set.centre), shownValue(set.lcl)),
        QStringLiteral("%1: UCL %2, CL %3, LCL %4")
            .arg(isXBar ? QStringLiteral("Range chart") : QStringLiteral("Moving range chart"),
                 shownValue(set.rangeUcl), shownValue(set.rangeCentre), shownValue(set.rangeLcl)),
        QStringLiteral("Est. sigma: %1").arg(shownValue(set.sigma)),
        QStringLiteral("Baseline: %1 to %2, %3 %4 of %5 records")
            .arg(shownMinute(b.first), shownMinute(b.last), shownCount(b.points),
                 isXBar ? QStringLiteral("subgroups") : QStringLiteral("values"), shownCount(b.records)),
        QStringLiteral("Source %1, test ID %2, %3, %4, %5")
            .arg(b.source, b.testId, b.passOnly ? QStringLiteral("passed units") : QStringLiteral("all results"),
                 b.lastDataOnly ? QStringLiteral("last record of each unit") : QStringLiteral("every record"),
                 b.acceptZero ? QStringLiteral("zeros kept") : QStringLiteral("zeros left out")),
    }
        .join(QLatin1Char('\n'));
}
