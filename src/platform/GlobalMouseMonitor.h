#pragma once

#include <functional>
#include <memory>

#include <QPointF>
#include <Qt>

/// Watches pointer movement anywhere on the screen, whichever application is in front.
class GlobalMouseMonitor
{
public:
    /// Called on the GUI thread after the pointer moved: the pointer position in screen
    /// coordinates (device-independent pixels) and the modifier keys held right now.
    using Handler = std::function<void(const QPointF& position, Qt::KeyboardModifiers held)>;

    virtual ~GlobalMouseMonitor() = default;

    /// Starts delivering moves to `handler`. False when the system offers no global pointer
    /// events (the monitor then never calls the handler).
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

/// The monitor of the platform this build runs on, or none when the running session has none
/// (for example Qt's offscreen platform). Defined by the platform backend.
std::unique_ptr<GlobalMouseMonitor> createGlobalMouseMonitor();
