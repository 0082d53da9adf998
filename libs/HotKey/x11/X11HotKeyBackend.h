#pragma once

#include <memory>
#include <vector>

#include <QAbstractNativeEventFilter>
#include <QObject>

#include "HotKeyBackend.h"

typedef struct _XDisplay Display;

/// Global hot keys on X11: a passive key grab on the root window for each combination of the
/// ignorable locks (none, Caps Lock, Num Lock, both); presses and releases arrive through a
/// native event filter on Qt's own X connection.
class X11HotKeyBackend final : public HotKeyBackend, private QAbstractNativeEventFilter
{
public:
    /// `display` is Qt's Xlib display; it must outlive the backend's use.
    explicit X11HotKeyBackend(Display* display);
    ~X11HotKeyBackend() override;

    std::optional<Handle> registerHotKey(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                         std::uint32_t signature, std::uint32_t hotKeyID) override;
    void unregisterHotKey(Handle handle) override;
    void installEventHandler() override;

    /// The X keysym a key is mapped to; 0 (NoSymbol) for keys this platform has no symbol for.
    static unsigned long keysymForCarbonKeyCode(std::uint32_t carbonKeyCode);

private:
    struct Grab
    {
        Handle handle = 0;
        unsigned int keycode = 0;
        unsigned int modifiers = 0;
        std::uint32_t signature = 0;
        std::uint32_t hotKeyID = 0;
        std::vector<unsigned int> locks;
        bool pressed = false;
        /// A release waiting to see whether the keyboard's auto-repeat follows it with a press.
        bool releasePending = false;
        std::uint32_t releaseTime = 0;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool displayAlive() const;
    std::vector<unsigned int> lockCombinations() const;
    void ungrab(const Grab& grab);
    void finishRelease(Handle handle);
    static void post(const Grab& grab, std::uint32_t kind);

    Display* m_display = nullptr;
    std::vector<Grab> m_grabs;
    Handle m_lastHandle = 0;
    unsigned int m_numLockMask = 0;
    bool m_filterInstalled = false;
    /// Owns the timers of pending releases, so none outlives the backend.
    QObject m_timerContext;
};
