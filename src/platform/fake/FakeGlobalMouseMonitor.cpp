#include "FakeGlobalMouseMonitor.h"

bool FakeGlobalMouseMonitor::start(Handler handler)
{
    ++m_startCount;
    if (!m_available) {
        return false;
    }
    m_handler = std::move(handler);
    m_running = true;
    return true;
}

void FakeGlobalMouseMonitor::stop()
{
    m_running = false;
    m_handler = nullptr;
}

void FakeGlobalMouseMonitor::move(const QPointF& position, Qt::KeyboardModifiers held)
{
    if (m_running && m_handler) {
        const Handler handler = m_handler;
        handler(position, held);
    }
}
