#include "LimitSets.h"

#include <QDir>
#include <algorithm>

namespace {

bool sameText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Stage starts and stamps count to the second.
bool sameSecond(const QDateTime& a, const QDateTime& b)
{
    return a.toSecsSinceEpoch() == b.toSecsSinceEpoch();
}

} // namespace

QString LimitChartName(LimitChartKind kind)
{
    return kind == LimitChartKind::XBar ? QStringLiteral("xbar") : QStringLiteral("individual");
}

std::optional<LimitChartKind> LimitChartFromName(const QString& name)
{
    for (const LimitChartKind kind : {LimitChartKind::XBar, LimitChartKind::Individual}) {
        if (sameText(name, LimitChartName(kind))) {
            return kind;
        }
    }
    return std::nullopt;
}

bool LimitKey::matches(const LimitKey& other) const
{
    return sameText(product, other.product) && sameText(parameter, other.parameter) && chart == other.chart &&
           (chart == LimitChartKind::Individual || subgroupSize == other.subgroupSize) &&
           sameText(source, other.source);
}

QString LimitKey::text() const
{
    const QString kind =
        chart == LimitChartKind::XBar ? QStringLiteral("X-bar n=%1").arg(subgroupSize) : QStringLiteral("individual");
    return QStringList{product, parameter, kind, source}.join(QStringLiteral(", "));
}

QString StageStart::caption() const
{
    return name.trimmed().isEmpty() ? start.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : name.trimmed();
}

const LimitSet* LimitStore::find(const LimitKey& key) const
{
    const auto found =
        std::find_if(sets.cbegin(), sets.cend(), [&key](const LimitSet& s) { return s.key.matches(key); });
    return found == sets.cend() ? nullptr : &*found;
}

QList<StageStart> LimitStore::stagesOf(const QString& product, const QString& parameter) const
{
    QList<StageStart> found;
    std::copy_if(stages.cbegin(), stages.cend(), std::back_inserter(found),
                 [&](const StageStart& s) { return sameText(s.product, product) && sameText(s.parameter, parameter); });
    std::stable_sort(found.begin(), found.end(),
                     [](const StageStart& a, const StageStart& b) { return a.start < b.start; });
    return found;
}

void LimitStore::freeze(const LimitSet& set)
{
    if (clear(set.key, set.frozenAt, set.frozenBy)) {
        history.last().retiredHow = QStringLiteral("replaced");
    }
    sets.append(set);
}

bool LimitStore::clear(const LimitKey& key, const QDateTime& at, const QString& by)
{
    const auto found = std::find_if(sets.begin(), sets.end(), [&key](const LimitSet& s) { return s.key.matches(key); });
    if (found == sets.end()) {
        return false;
    }
    LimitSet retired = *found;
    retired.retiredAt = at;
    retired.retiredBy = by;
    retired.retiredHow = QStringLiteral("cleared");
    history.append(retired);
    sets.erase(found);
    return true;
}

void LimitStore::addStage(const StageStart& stage)
{
    removeStage(stage.product, stage.parameter, stage.start);
    stages.append(stage);
}

bool LimitStore::removeStage(const QString& product, const QString& parameter, const QDateTime& start)
{
    return stages.removeIf([&](const StageStart& s) {
        return sameText(s.product, product) && sameText(s.parameter, parameter) && sameSecond(s.start, start);
    }) > 0;
}

QString CurrentLoginName()
{
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty()) {
            return name;
        }
    }
    return QDir::home().dirName(); // a service or container without a login environment
}
