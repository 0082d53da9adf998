#pragma once

#include "platform/GlobalMouseMonitor.h"

/// A pointer monitor that tests drive by hand.
class FakeGlobalMouseMonitor final : public GlobalMouseMonitor
{
public:
    /// `available` false makes start() fail, as a session without global pointer events does.
    explicit FakeGlobalMouseMonitor(bool available = true) : m_available(available) {}

    bool start(Handler handler) override;
    void stop() override;
    bool isRunning() const override { return m_running; }

    /// Reports a pointer move to the handler, if started.
    void move(const QPointF& position, Qt::KeyboardModifiers held = Qt::NoModifier);

    int startCount() const { return m_startCount; }

private:
    bool m_available;
    bool m_running = false;
    int m_startCount = 0;
    Handler m_handler;
};
