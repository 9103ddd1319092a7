#include "EventPump.h"

#include <QCoreApplication>

EventPump::EventPump() : m_handler([] { QCoreApplication::processEvents(); }) {}

EventPump::EventPump(Handler handler) : m_handler(std::move(handler)) {}

void EventPump::pump() const
{
    if (m_handler) {
        m_handler();
    }
}

ThrottledPump::ThrottledPump(const EventPump& pump, int intervalMs) : m_pump(pump), m_intervalMs(intervalMs)
{
    m_sinceLast.start();
}

void ThrottledPump::maybePump()
{
    if (m_sinceLast.elapsed() >= m_intervalMs) {
        m_pump.pump();
        m_sinceLast.restart();
    }
}
