#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

class LiveChart;

// What a scheduled `tessaly watch --once` remembers of its last check, in a small JSON file:
// where the chart ended. Points are told apart by the time of their last record; of the points
// that end at the last one's time, it keeps how many there were.
struct WatchState
{
    QDateTime lastTime;         // of the last point's last record
    qint64 pointsAtLastTime = 0; // the points that ended then

    // Where the chart ends now.
    static WatchState Of(const LiveChart& chart, qint64 points);
    // Whether the point at `index` of the chart was not drawn by the check this state is of.
    bool isNew(const LiveChart& chart, qint64 index) const;
};

// The state of a file; none when the file does not exist (a first check). False with *error set
// when it exists and cannot be read.
bool ReadWatchState(const QString& path, std::optional<WatchState>& state, QString* error);
// Writes it under a temporary name first; false with *error set when that fails.
bool WriteWatchState(const QString& path, const WatchState& state, QString* error);
