#include "X11HotKeyBackend.h"

#include <array>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include "HotKeysController.h"
#include "Key.h"
#include "Modifiers.h"
#include "X11Support/X11Support.h"

std::unique_ptr<HotKeyBackend> createPlatformHotKeyBackend()
{
    Display* display = X11Support::applicationDisplay();
    if (display == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11HotKeyBackend>(display);
}

namespace {

// How long a release waits for an auto-repeat press (sent at the same moment) before it counts.
constexpr int releaseSettleMilliseconds = 15;

// Keysyms in the order of the Key enumeration. NoSymbol where X has no key for it (the Mac fn key).
// clang-format off
const std::array<unsigned long, HotKeys::keyCount> keysymTable = {
    XK_a, XK_b, XK_c, XK_d, XK_e, XK_f, XK_g, XK_h, XK_i, XK_j, XK_k, XK_l, XK_m, XK_n, XK_o, XK_p,
    XK_q, XK_r, XK_s, XK_t, XK_u, XK_v, XK_w, XK_x, XK_y, XK_z,
    XK_0, XK_1, XK_2, XK_3, XK_4, XK_5, XK_6, XK_7, XK_8, XK_9,
    XK_period, XK_apostrophe, XK_bracketright, XK_semicolon, XK_slash, XK_backslash, XK_comma, XK_equal,
    XK_grave, XK_bracketleft, XK_minus,
    XK_section, XK_space, XK_Tab, XK_Return,
    XK_Super_L, XK_Super_R, XK_Alt_L, XK_Alt_R, XK_Control_L, XK_Control_R, XK_Shift_L, XK_Shift_R,
    NoSymbol,
    XK_Caps_Lock, XK_Prior, XK_Next, XK_Home, XK_End, XK_Up, XK_Right, XK_Down, XK_Left,
    XK_F1, XK_F2, XK_F3, XK_F4, XK_F5, XK_F6, XK_F7, XK_F8, XK_F9, XK_F10, XK_F11, XK_F12, XK_F13,
    XK_F14, XK_F15, XK_F16, XK_F17, XK_F18, XK_F19, XK_F20,
    XK_KP_0, XK_KP_1, XK_KP_2, XK_KP_3, XK_KP_4, XK_KP_5, XK_KP_6, XK_KP_7, XK_KP_8, XK_KP_9,
    XK_Clear, XK_KP_Decimal, XK_KP_Divide, XK_KP_Enter, XK_KP_Equal, XK_KP_Subtract, XK_KP_Multiply,
    XK_KP_Add,
    XK_Escape, XK_BackSpace, XK_Delete, XK_Help, XF86XK_AudioRaiseVolume, XF86XK_AudioLowerVolume,
    XF86XK_AudioMute,
};
// clang-format on

} // namespace

X11HotKeyBackend::X11HotKeyBackend(Display* display) : m_display(display)
{
}

X11HotKeyBackend::~X11HotKeyBackend()
{
    if (m_filterInstalled && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

unsigned long X11HotKeyBackend::keysymForCarbonKeyCode(std::uint32_t carbonKeyCode)
{
    const auto key = HotKeys::keyFromCarbonKeyCode(carbonKeyCode);
    if (!key) {
        return NoSymbol;
    }
    return keysymTable[static_cast<std::size_t>(*key)];
}

bool X11HotKeyBackend::displayAlive() const
{
    // Qt closes its display with the application object; hot keys released later need no ungrab.
    return m_display != nullptr && QCoreApplication::instance() != nullptr;
}

std::vector<unsigned int> X11HotKeyBackend::lockCombinations() const
{
    std::vector<unsigned int> locks{0, LockMask};
    if (m_numLockMask != 0 && m_numLockMask != LockMask) {
        locks.push_back(m_numLockMask);
        locks.push_back(m_numLockMask | LockMask);
    }
    return locks;
}

std::optional<HotKeyBackend::Handle> X11HotKeyBackend::registerHotKey(std::uint32_t carbonKeyCode,
                                                                      std::uint32_t carbonModifiers,
                                                                      std::uint32_t signature,
                                                                      std::uint32_t hotKeyID)
{
    if (!displayAlive()) {
        return std::nullopt;
    }
    const KeySym keysym = keysymForCarbonKeyCode(carbonKeyCode);
    if (keysym == NoSymbol) {
        return std::nullopt;
    }
    const KeyCode keycode = XKeysymToKeycode(m_display, keysym);
    if (keycode == 0) {
        return std::nullopt; // the keyboard map has no such key
    }

    const ModifierFlags flags = ModifierFlags::fromCarbonFlags(carbonModifiers);
    unsigned int modifiers = 0;
    if (flags.contains(ModifierFlags::control)) {
        modifiers |= ControlMask;
    }
    if (flags.contains(ModifierFlags::shift)) {
        modifiers |= ShiftMask;
    }
    if (flags.contains(ModifierFlags::option)) {
        const unsigned int alt = X11Support::modifierMaskFor(m_display, {XK_Alt_L, XK_Alt_R, XK_Meta_L});
        if (alt == 0) {
            return std::nullopt;
        }
        modifiers |= alt;
    }
    if (flags.contains(ModifierFlags::command)) {
        const unsigned int super = X11Support::modifierMaskFor(m_display, {XK_Super_L, XK_Super_R});
        if (super == 0) {
            return std::nullopt;
        }
        modifiers |= super;
    }

    const Window root = DefaultRootWindow(m_display);
    m_numLockMask = X11Support::modifierMaskFor(m_display, {XK_Num_Lock});
    const std::vector<unsigned int> locks = lockCombinations();
    int error = 0;
    {
        X11Support::ErrorTrap trap(m_display);
        for (const unsigned int lock : locks) {
            XGrabKey(m_display, keycode, modifiers | lock, root, False, GrabModeAsync, GrabModeAsync);
        }
        error = trap.sync();
        if (error != 0) {
            // Another client holds at least one of the combinations: give back the ones we got.
            for (const unsigned int lock : locks) {
                XUngrabKey(m_display, keycode, modifiers | lock, root);
            }
            trap.sync();
        }
    }
    if (error != 0) {
        return std::nullopt;
    }

    Grab grab;
    grab.handle = ++m_lastHandle;
    grab.keycode = keycode;
    grab.modifiers = modifiers;
    grab.signature = signature;
    grab.hotKeyID = hotKeyID;
    grab.locks = locks;
    m_grabs.push_back(grab);
    return grab.handle;
}

void X11HotKeyBackend::ungrab(const Grab& grab)
{
    if (!displayAlive()) {
        return;
    }
    const Window root = DefaultRootWindow(m_display);
    X11Support::ErrorTrap trap(m_display);
    for (const unsigned int lock : grab.locks) {
        XUngrabKey(m_display, grab.keycode, grab.modifiers | lock, root);
    }
    trap.sync();
}

void X11HotKeyBackend::unregisterHotKey(Handle handle)
{
    for (auto it = m_grabs.begin(); it != m_grabs.end(); ++it) {
        if (it->handle == handle) {
            const Grab grab = *it;
            m_grabs.erase(it);
            ungrab(grab);
            return;
        }
    }
}

void X11HotKeyBackend::installEventHandler()
{
    if (m_filterInstalled || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filterInstalled = true;
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    const auto* generic = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = generic->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    const auto* keyEvent = static_cast<const xcb_key_press_event_t*>(message);
    if (keyEvent->event != keyEvent->root) {
        return false; // an ordinary key event for one of our windows
    }
    // Locks and unrelated modifier bits do not take part in matching.
    constexpr unsigned int relevant =
        ShiftMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;
    const unsigned int state = keyEvent->state & relevant & ~m_numLockMask;

    for (Grab& grab : m_grabs) {
        if (grab.keycode != keyEvent->detail) {
            continue;
        }
        if (type == XCB_KEY_PRESS) {
            if (grab.releasePending) {
                if (keyEvent->time == grab.releaseTime) {
                    // Auto-repeat sends a release and a press with the same time stamp: the key
                    // is still held, so neither is reported.
                    grab.releasePending = false;
                    return true;
                }
                finishRelease(grab.handle); // released, then pressed again
            }
            if (grab.pressed) {
                return true; // auto-repeat without the release (detectable auto-repeat)
            }
            if (grab.modifiers != state) {
                continue;
            }
            grab.pressed = true;
            post(grab, static_cast<std::uint32_t>(HotKeysController::EventKind::pressed));
            return true;
        }
        // The release belongs to the pressed grab whatever modifiers are still held. It is
        // reported once it is clear that no auto-repeat press follows it.
        if (grab.pressed && !grab.releasePending) {
            grab.releasePending = true;
            grab.releaseTime = keyEvent->time;
            const Handle handle = grab.handle;
            QTimer::singleShot(releaseSettleMilliseconds, &m_timerContext,
                               [this, handle] { finishRelease(handle); });
            return true;
        }
    }
    return false;
}

void X11HotKeyBackend::finishRelease(Handle handle)
{
    for (Grab& grab : m_grabs) {
        if (grab.handle == handle && grab.releasePending) {
            grab.releasePending = false;
            grab.pressed = false;
            post(grab, static_cast<std::uint32_t>(HotKeysController::EventKind::released));
            return;
        }
    }
}

void X11HotKeyBackend::post(const Grab& grab, std::uint32_t kind)
{
    // Dispatched from the event loop, not from inside Qt's X event processing: a handler may
    // register or release hot keys, which changes m_grabs.
    const HotKeysController::Event event{grab.signature, grab.hotKeyID, kind};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [event] { HotKeysController::dispatch(&event); }, Qt::QueuedConnection);
}
