#include "AutoRefresh.h"

#include "Clock.h"

#include <algorithm>

namespace {

QString timeText(const QDateTime& at)
{
    return at.toString(QStringLiteral("HH:mm:ss"));
}

QString recordsText(qint64 count)
{
    if (count == 0) {
        return QStringLiteral("no new records");
    }
    return QString::number(count) + (count == 1 ? QStringLiteral(" new record") : QStringLiteral(" new records"));
}

} // namespace

AutoRefresh::AutoRefresh(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AutoRefresh::due);
}

int AutoRefresh::BoundedInterval(int seconds)
{
    return std::clamp(seconds, kShortestSeconds, kLongestSeconds);
}

void AutoRefresh::setIntervalSeconds(int seconds)
{
    m_interval = BoundedInterval(seconds);
    // A shorter interval takes effect now, not after the pause already running; a retry keeps its pause.
    if (isRunning() && m_failures == 0) {
        schedule();
    }
}

void AutoRefresh::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

void AutoRefresh::setFollowing(bool following)
{
    m_following = following;
    restart();
}

void AutoRefresh::restart()
{
    m_failures = 0;
    if (!m_enabled) {
        m_timer.stop();
        showStatus(QString());
    } else if (!m_following) {
        m_timer.stop();
        showStatus(QStringLiteral("Auto Refresh follows the chart of the next Start Plot"));
    } else {
        schedule();
        showStatus(QStringLiteral("Auto Refresh every %1 s; next at %2").arg(m_interval).arg(timeText(m_next)));
    }
}

int AutoRefresh::pauseSeconds() const
{
    // Doubling from the interval: 2, 4, 8 ... intervals after 1, 2, 3 ... failures in a row.
    const int longest = std::max(m_interval, kLongestRetrySeconds);
    qint64 pause = m_interval;
    for (int i = 0; i < m_failures && pause < longest; ++i) {
        pause *= 2;
    }
    return static_cast<int>(std::min<qint64>(pause, longest));
}

void AutoRefresh::schedule()
{
    const int pause = pauseSeconds();
    m_next = m_clock.now().addSecs(pause);
    m_timer.start(pause * 1000);
}

void AutoRefresh::refreshed(qint64 newRecords)
{
    m_failures = 0;
    const QDateTime at = m_clock.now();
    if (m_enabled && m_following) {
        schedule();
    }
    showStatus(QStringLiteral("Refreshed at %1: %2").arg(timeText(at), recordsText(newRecords)));
}

void AutoRefresh::failed(const QString& error)
{
    ++m_failures;
    const QDateTime at = m_clock.now();
    if (m_enabled && m_following) {
        schedule();
    }
    showStatus(QStringLiteral("Cannot read the database at %1 (%2); next try at %3")
                   .arg(timeText(at), error.simplified(), timeText(m_next)));
}

void AutoRefresh::showStatus(const QString& text)
{
    if (text != m_status) {
        m_status = text;
        emit statusChanged(text);
    }
}
