#include "EventPump.h"

#include <QCoreApplication>

EventPump::EventPump() : m_handler([] { QCoreApplication::processEvents(); }) {}

EventPump::EventPump(Handler handler, int throttleMs) : m_handler(std::move(handler)), m_throttleMs(throttleMs) {}

void EventPump::pump() const
{
    if (m_handler) {
        m_handler();
    }
}

ThrottledPump::ThrottledPump(const EventPump& pump) : m_pump(pump), m_intervalMs(pump.throttleMs())
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
