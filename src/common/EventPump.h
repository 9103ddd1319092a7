#pragma once

#include <QElapsedTimer>
#include <functional>

// Lets pending window events run. Long loops hold a ThrottledPump and call it every iteration;
// it passes the call on at most once per interval, never per row.
class EventPump
{
public:
    using Handler = std::function<void()>;

    // The default handler runs QCoreApplication::processEvents(). throttleMs is the least time
    // between two passes that a ThrottledPump on this pump lets through.
    EventPump();
    explicit EventPump(Handler handler, int throttleMs = kDefaultThrottleMs);

    void pump() const;
    int throttleMs() const { return m_throttleMs; }

    static constexpr int kDefaultThrottleMs = 30;

private:
    Handler m_handler;
    int m_throttleMs = kDefaultThrottleMs;
};

// Work items (records, values) between two offers to a ThrottledPump: reading its clock costs
// more than one item.
inline constexpr qint64 kPumpBlock = 4096;

class ThrottledPump
{
public:
    explicit ThrottledPump(const EventPump& pump);

    // Pumps when at least the interval has passed since the last pump.
    void maybePump();

private:
    const EventPump& m_pump;
    int m_intervalMs;
    QElapsedTimer m_sinceLast;
};
