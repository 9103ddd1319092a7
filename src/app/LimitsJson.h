#pragma once

#include "LimitSets.h"
#include "LimitsInForce.h"

#include <QJsonArray>
#include <QJsonObject>

// Frozen sets, stage starts and the limits a chart was drawn with, as the headless commands'
// JSON gives them: numbers exact, times "yyyy-MM-dd HH:mm:ss", null where there is none.

// {"product", "parameter", "chart", "subgroupSize", "source", "centre", "ucl", "lcl", "rangeCentre",
//  "rangeUcl", "rangeLcl", "sigma", "frozenAt", "frozenBy", "comment", "baseline": {...}} and, for
// a retired set, "retiredAt", "retiredBy", "retired".
QJsonObject LimitSetJson(const LimitSet& set);

// {"product", "parameter", "start", "name", "addedAt", "addedBy"}
QJsonObject StageJson(const StageStart& stage);

// The limits in force now: {"source": "computed"|"frozen"|"stages", "centre", "ucl", "lcl",
// "rangeCentre", "rangeUcl", "rangeLcl", "sigma", "frozenAt", "comment", "baseline",
// "baselinePoints", "stagesIgnored", "summary"}.
QJsonObject LimitsInForceJson(const LimitsInForce& limits);

// Each stage of a drawing: [{"name", "start", "firstPoint", "centre", "ucl", "lcl", "rangeCentre",
// "rangeUcl", "rangeLcl"}]; empty unless the limits are per stage.
QJsonArray StagesJson(const LimitsInForce& limits);
