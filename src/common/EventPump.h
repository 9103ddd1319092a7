#pragma once

#include <QElapsedTimer>
#include <functional>

// Lets pending window events run. Long loops hold a ThrottledPump and call it every iteration;
// it passes the call on at most once per interval, never per row.
class EventPump
{
public:
    using Handler = std::function<void()>;

    // The default handler runs QCoreApplication::processEvents().
    EventPump();
    explicit EventPump(Handler handler);

    void pump() const;

private:
    Handler m_handler;
};

class ThrottledPump
{
public:
    explicit ThrottledPump(const EventPump& pump, int intervalMs = 30);

    // Pumps when at least the interval has passed since the last pump.
    void maybePump();

private:
    const EventPump& m_pump;
    int m_intervalMs;
    QElapsedTimer m_sinceLast;
};
