#include "LimitsJson.h"

namespace {

QJsonValue timeJson(const QDateTime& time)
{
    return time.isValid() ? QJsonValue(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) : QJsonValue();
}

QJsonValue statisticJson(const Statistic& value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject baselineJson(const LimitBaseline& b)
{
    return QJsonObject{{QStringLiteral("from"), timeJson(b.first)},  {QStringLiteral("to"), timeJson(b.last)},
                       {QStringLiteral("source"), b.source},         {QStringLiteral("testId"), b.testId},
                       {QStringLiteral("passOnly"), b.passOnly},     {QStringLiteral("lastRecordOnly"), b.lastDataOnly},
                       {QStringLiteral("acceptZero"), b.acceptZero}, {QStringLiteral("points"), b.points},
                       {QStringLiteral("records"), b.records}};
}

// The six lines of a segment, exact.
void addLines(QJsonObject& object, const LimitSegment& segment)
{
    const ControlLimits::Exact& l = segment.limits.exact;
    object.insert(QStringLiteral("centre"), l.cl);
    object.insert(QStringLiteral("ucl"), l.ucl);
    object.insert(QStringLiteral("lcl"), l.lcl);
    object.insert(QStringLiteral("rangeCentre"), segment.rBar);
    object.insert(QStringLiteral("rangeUcl"), l.rangeUcl);
    object.insert(QStringLiteral("rangeLcl"), l.rangeLcl);
}

} // namespace

QJsonObject LimitSetJson(const LimitSet& s)
{
    QJsonObject set{{QStringLiteral("product"), s.key.product},
                    {QStringLiteral("parameter"), s.key.parameter},
                    {QStringLiteral("chart"), LimitChartName(s.key.chart)},
                    {QStringLiteral("subgroupSize"), s.key.chart == LimitChartKind::XBar ? s.key.subgroupSize : 1},
                    {QStringLiteral("source"), s.key.source},
                    {QStringLiteral("centre"), s.centre},
                    {QStringLiteral("ucl"), s.ucl},
                    {QStringLiteral("lcl"), s.lcl},
                    {QStringLiteral("rangeCentre"), s.rangeCentre},
                    {QStringLiteral("rangeUcl"), s.rangeUcl},
                    {QStringLiteral("rangeLcl"), s.rangeLcl},
                    {QStringLiteral("sigma"), s.sigma},
                    {QStringLiteral("frozenAt"), timeJson(s.frozenAt)},
                    {QStringLiteral("frozenBy"), s.frozenBy},
                    {QStringLiteral("comment"), s.comment},
                    {QStringLiteral("baseline"), baselineJson(s.baseline)}};
    if (s.retiredAt.isValid()) {
        set.insert(QStringLiteral("retiredAt"), timeJson(s.retiredAt));
        set.insert(QStringLiteral("retiredBy"), s.retiredBy);
        set.insert(QStringLiteral("retired"), s.retiredHow);
    }
    return set;
}

QJsonObject StageJson(const StageStart& s)
{
    return QJsonObject{{QStringLiteral("product"), s.product},           {QStringLiteral("parameter"), s.parameter},
                       {QStringLiteral("start"), timeJson(s.start)},     {QStringLiteral("name"), s.name},
                       {QStringLiteral("addedAt"), timeJson(s.addedAt)}, {QStringLiteral("addedBy"), s.addedBy}};
}

QJsonObject LimitsInForceJson(const LimitsInForce& limits)
{
    static const char* const kSources[] = {"computed", "frozen", "stages"};
    const LimitSegment& now = limits.current();
    QJsonObject object{{QStringLiteral("source"), QLatin1String(kSources[static_cast<int>(limits.source)])},
                       {QStringLiteral("sigma"), statisticJson(now.statistics.estSigma)},
                       {QStringLiteral("frozenAt"), QJsonValue()},
                       {QStringLiteral("comment"), QJsonValue()},
                       {QStringLiteral("baseline"), QJsonValue()},
                       {QStringLiteral("stagesIgnored"), limits.stagesIgnored},
                       {QStringLiteral("summary"), limits.summary()}};
    addLines(object, now);
    if (limits.frozen) {
        object.insert(QStringLiteral("frozenAt"), timeJson(limits.frozen->frozenAt));
        object.insert(QStringLiteral("comment"), limits.frozen->comment);
        object.insert(QStringLiteral("baseline"), baselineJson(limits.frozen->baseline));
        object.insert(QStringLiteral("baselinePoints"), limits.baselinePoints);
    }
    return object;
}

QJsonArray StagesJson(const LimitsInForce& limits)
{
    QJsonArray stages;
    if (limits.source != LimitSource::Stages) {
        return stages;
    }
    for (const LimitSegment& segment : limits.segments) {
        QJsonObject stage{{QStringLiteral("name"), segment.stage ? segment.stage->name : QString()},
                          {QStringLiteral("start"), segment.stage ? timeJson(segment.stage->start) : QJsonValue()},
                          {QStringLiteral("firstPoint"), segment.firstPoint}};
        addLines(stage, segment);
        stages.append(stage);
    }
    return stages;
}
