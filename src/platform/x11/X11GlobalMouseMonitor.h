#pragma once

#include <memory>

#include "platform/GlobalMouseMonitor.h"

class QSocketNotifier;
typedef struct _XDisplay Display;

/// Global pointer moves on X11: XInput 2 raw motion selected on the root window of a display
/// connection of its own, read through a socket notifier on the GUI thread. The position and the
/// held modifiers come from XQueryPointer, once per batch of motion events.
class X11GlobalMouseMonitor final : public GlobalMouseMonitor
{
public:
    X11GlobalMouseMonitor();
    ~X11GlobalMouseMonitor() override;

    bool start(Handler handler) override;
    void stop() override;
    bool isRunning() const override { return m_display != nullptr; }

private:
    void readEvents();

    Display* m_display = nullptr;
    int m_xinputOpcode = 0;
    unsigned int m_altMask = 0;
    unsigned int m_superMask = 0;
    double m_pixelRatio = 1.0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Handler m_handler;
};
