#pragma once

#include "ControlChartMath.h"
#include "LimitFile.h"
#include "LimitsInForce.h"
#include "Selection.h"

#include <QDateTime>
#include <QString>

struct PlotResult;
struct SharedState;

// Between the limit file and the control charts: which set and stages a drawing uses, and the
// set a drawing gives when its limits are frozen.

// The key of a control chart of a selection: product, the parameter's column, the chart kind
// with its subgroup size, the source ("<All>" for every source).
LimitKey ControlChartKey(const SharedState& state, const Selection& selection, bool individual, int subgroupSize);

// What a drawing of key asks of the limit file as read: its frozen set when useFrozen and one
// exists, the stage starts of its parameter when useStages, the file's problem.
LimitsRequest LimitsFromFile(const LimitFileRead& file, const LimitKey& key, bool useFrozen, bool useStages);

// The set a drawn chart gives: the limits of all its points computed as a whole, before
// rounding, and its selection as the baseline; stamped at and by.
LimitSet FrozenFromDrawing(const PlotResult& plot, const LimitKey& key, const Selection& selection,
                           const ControlChartConstants& constants, const QDateTime& at, const QString& by,
                           const QString& comment);

// The set in lines a person reads before it is stored: key, the lines of both charts (rounded as
// the panel shows them), sigma and the baseline.
QString FrozenSetDescription(const LimitSet& set);
