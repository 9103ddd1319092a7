#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

class Clock;

// When the drawn chart is read again while the user has Auto Refresh on: every interval while
// reads succeed; after a failed read (a locked file, a server that is down) the pause doubles from
// the interval up to ten minutes (never below the interval), and the first good read brings it
// back to the interval. It asks for a refresh through due() and is told the outcome through
// refreshed() or failed(); the status line text says when the chart was last read and how many
// records were new, or why the database could not be read and when the next try comes.
class AutoRefresh : public QObject
{
    Q_OBJECT

public:
    static constexpr int kShortestSeconds = 10;
    static constexpr int kLongestSeconds = 3600;
    static constexpr int kDefaultSeconds = 60;
    static constexpr int kLongestRetrySeconds = 600;

    explicit AutoRefresh(const Clock& clock, QObject* parent = nullptr);

    // Seconds within 10 s and 1 h.
    static int BoundedInterval(int seconds);

    int intervalSeconds() const { return m_interval; }
    void setIntervalSeconds(int seconds);

    // The user's choice, and whether a drawn chart is there to follow (not during a load).
    // Refreshes run while both hold; each change of either starts again at the interval.
    void setEnabled(bool enabled);
    void setFollowing(bool following);
    bool isRunning() const { return m_timer.isActive(); }

    // The pause before the next refresh, and when it comes.
    int pauseSeconds() const;
    QDateTime nextRefresh() const { return m_next; }

    // The outcome of the refresh due() asked for.
    void refreshed(qint64 newRecords);
    void failed(const QString& error);

    QString statusText() const { return m_status; }

signals:
    void due();
    void statusChanged(const QString& text);

private:
    void restart();
    void schedule();
    void showStatus(const QString& text);

    const Clock& m_clock;
    QTimer m_timer;
    int m_interval = kDefaultSeconds;
    int m_failures = 0; // reads failed in a row
    bool m_enabled = false;
    bool m_following = false;
    QDateTime m_next;
    QString m_status;
};
