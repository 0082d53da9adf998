#include "X11GlobalMouseMonitor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include "X11Support/X11Support.h"

std::unique_ptr<GlobalMouseMonitor> createGlobalMouseMonitor()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    return std::make_unique<X11GlobalMouseMonitor>();
}

X11GlobalMouseMonitor::X11GlobalMouseMonitor() = default;

X11GlobalMouseMonitor::~X11GlobalMouseMonitor()
{
    stop();
}

bool X11GlobalMouseMonitor::start(Handler handler)
{
    stop();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2; // raw events of master devices came with 2.1
    if (!XQueryExtension(display, "XInputExtension", &m_xinputOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return false;
    }

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    {
        // A server that refuses the selection would otherwise leave a monitor that never hears a move.
        X11Support::ErrorTrap trap(display);
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        if (trap.sync() != 0) {
            XCloseDisplay(display);
            return false;
        }
    }

    m_display = display;
    m_altMask = X11Support::modifierMaskFor(display, {XK_Alt_L, XK_Alt_R, XK_Meta_L});
    m_superMask = X11Support::modifierMaskFor(display, {XK_Super_L, XK_Super_R});
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_pixelRatio = screen->devicePixelRatio();
    }
    m_handler = std::move(handler);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    return true;
}

void X11GlobalMouseMonitor::stop()
{
    m_notifier.reset();
    m_handler = nullptr;
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

void X11GlobalMouseMonitor::readEvents()
{
    // Xlib may queue events while answering XQueryPointer; they are read here too, since the
    // socket will not signal them again.
    while (m_display != nullptr && XPending(m_display) > 0) {
        bool moved = false;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type == GenericEvent && cookie->extension == m_xinputOpcode &&
                XGetEventData(m_display, cookie)) {
                moved = moved || cookie->evtype == XI_RawMotion;
                XFreeEventData(m_display, cookie);
            }
        }
        if (!moved) {
            continue;
        }
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int state = 0;
        if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX,
                           &windowY, &state)) {
            continue; // the pointer is on another screen
        }
        Qt::KeyboardModifiers held;
        held.setFlag(Qt::ShiftModifier, state & ShiftMask);
        held.setFlag(Qt::ControlModifier, state & ControlMask);
        held.setFlag(Qt::AltModifier, m_altMask != 0 && (state & m_altMask));
        held.setFlag(Qt::MetaModifier, m_superMask != 0 && (state & m_superMask));
        if (m_handler) {
            // A copy: the handler may stop this monitor.
            const Handler handler = m_handler;
            handler(QPointF(rootX / m_pixelRatio, rootY / m_pixelRatio), held);
        }
    }
}
