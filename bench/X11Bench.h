#pragma once

// The real executable's panel as another X client sees it: finding it, pressing the global
// shortcut, following map and focus changes. Shared by the benchmarks that run Ovelin.

#include <sys/select.h>

#include <functional>

#include <QElapsedTimer>
#include <QFile>

// Xlib's macros (None, Bool, ...) clash with Qt's headers: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace bench {

struct Session
{
    Display* dpy = nullptr;
    Window root = 0;
    Window panel = 0;
    Atom activeAtom = 0;
    bool mapped = true;
    bool active = false;
};

Window activeWindow(Session& s)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window window = 0;
    if (XGetWindowProperty(s.dpy, s.root, s.activeAtom, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &remaining, &data) == Success &&
        data && count == 1)
        window = *reinterpret_cast<Window*>(data);
    if (data)
        XFree(data);
    return window;
}

// Ovelin's panel among the window manager's clients: class "ovelin", name "Ovelin".
Window findPanel(Session& s)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(s.dpy, s.root, XInternAtom(s.dpy, "_NET_CLIENT_LIST", False), 0, 1024, False,
                           XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
        data) {
        auto* windows = reinterpret_cast<Window*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) {
            XClassHint hint = {};
            char* name = nullptr;
            if (XGetClassHint(s.dpy, windows[i], &hint)) {
                if (XFetchName(s.dpy, windows[i], &name) && name && qstrcmp(hint.res_name, "ovelin") == 0 &&
                    qstrcmp(name, "Ovelin") == 0)
                    found = windows[i];
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            if (name)
                XFree(name);
        }
    }
    if (data)
        XFree(data);
    return found;
}

void pressShortcut(Session& s)
{
    const KeyCode control = XKeysymToKeycode(s.dpy, XK_Control_L);
    const KeyCode super = XKeysymToKeycode(s.dpy, XK_Super_L);
    const KeyCode v = XKeysymToKeycode(s.dpy, XK_v);
    for (const KeyCode key : {control, super, v})
        XTestFakeKeyEvent(s.dpy, key, True, CurrentTime);
    for (const KeyCode key : {v, super, control})
        XTestFakeKeyEvent(s.dpy, key, False, CurrentTime);
    XFlush(s.dpy);
}

// Handles events until `done` holds or the time runs out. Events the session does not follow go
// to `other` (a benchmark that owns the clipboard answers its requests there).
template <typename Condition>
bool waitUntil(Session& s, Condition done, int timeoutMs, const std::function<void(XEvent&)>& other = {})
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        while (XPending(s.dpy)) {
            XEvent event;
            XNextEvent(s.dpy, &event);
            if (event.type == MapNotify && event.xmap.window == s.panel)
                s.mapped = true;
            else if (event.type == UnmapNotify && event.xunmap.window == s.panel)
                s.mapped = false;
            else if (event.type == PropertyNotify && event.xproperty.atom == s.activeAtom)
                s.active = activeWindow(s) == s.panel;
            else if (other)
                other(event);
        }
        if (done())
            break;
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(s.dpy), &fds);
        timeval tv{0, static_cast<suseconds_t>(std::min<qint64>(left, 50) * 1000)};
        select(ConnectionNumber(s.dpy) + 1, &fds, nullptr, nullptr, &tv);
    }
    return true;
}

// A field of /proc/<pid>/status in kilobytes: "VmRSS", or "VmHWM" for the peak.
long statusKilobytes(qint64 pid, const char* field = "VmRSS")
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(QByteArray(field) + ':')))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace bench
