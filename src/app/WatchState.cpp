#include "WatchState.h"

#include "LiveChart.h"
#include "OutputFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

} // namespace

WatchState WatchState::Of(const LiveChart& chart, qint64 points)
{
    WatchState state;
    if (points == 0) {
        return state;
    }
    state.lastTime = chart.pointTime(points - 1);
    for (qint64 i = points - 1; i >= 0 && chart.pointTime(i) == state.lastTime; --i) {
        ++state.pointsAtLastTime;
    }
    return state;
}

bool WatchState::isNew(const LiveChart& chart, qint64 index) const
{
    const QDateTime time = chart.pointTime(index);
    if (!lastTime.isValid() || time > lastTime) {
        return true;
    }
    if (time < lastTime) {
        return false;
    }
    qint64 atTime = 0;
    for (qint64 i = index; i >= 0 && chart.pointTime(i) == time; --i) {
        ++atTime;
    }
    return atTime > pointsAtLastTime;
}

bool ReadWatchState(const QString& path, std::optional<WatchState>& state, QString* error)
{
    QFile file(path);
    if (!file.exists()) {
        state.reset();
        return true;
    }
    QJsonParseError parsed;
    const QJsonObject o =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll(), &parsed).object() : QJsonObject();
    const QString timeText = o.value(QStringLiteral("lastTime")).toString();
    const QDateTime lastTime = QDateTime::fromString(timeText, kTimeFormat);
    if (!o.contains(QStringLiteral("pointsAtLastTime")) || (!lastTime.isValid() && !timeText.isEmpty())) {
        *error = QStringLiteral("cannot read the state file %1: %2")
                     .arg(QDir::toNativeSeparators(path),
                          file.error() != QFile::NoError ? file.errorString() : QStringLiteral("not a state of watch"));
        return false;
    }
    state = WatchState{lastTime, o.value(QStringLiteral("pointsAtLastTime")).toInteger()};
    return true;
}

bool WriteWatchState(const QString& path, const WatchState& state, QString* error)
{
    const QJsonObject o{{QStringLiteral("lastTime"), state.lastTime.toString(kTimeFormat)},
                        {QStringLiteral("pointsAtLastTime"), state.pointsAtLastTime}};
    return WriteOutputFile(path, QJsonDocument(o).toJson(), error);
}
