#include "platform/x11/X11CapabilityService.h"

#include <memory>

#include <QByteArray>
#include <QString>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "X11Support/X11Support.h"

namespace {

// A short-lived connection of our own: the questions asked here (XIQueryVersion in particular)
// must not disturb the version Qt negotiated on its own connection.
struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

DisplayHandle openDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    return DisplayHandle(XOpenDisplay(nullptr));
}

bool hasExtension(Display* display, const char* name, int* opcode = nullptr)
{
    int major = 0, event = 0, error = 0;
    const bool present = XQueryExtension(display, name, &major, &event, &error);
    if (opcode)
        *opcode = major;
    return present;
}

} // namespace

bool X11CapabilityService::isWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) ==
               0 ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool X11CapabilityService::canSynthesizeInput() const
{
    const DisplayHandle display = openDisplay();
    return display && hasExtension(display.get(), "XTEST");
}

bool X11CapabilityService::canMonitorInput() const
{
    if (isWaylandSession())
        return false;
    const DisplayHandle display = openDisplay();
    if (!display || !hasExtension(display.get(), "XInputExtension"))
        return false;
    int major = 2, minor = 2;
    if (XIQueryVersion(display.get(), &major, &minor) != Success || major < 2)
        return false;
    // The answer the shake's monitor will get: whether the server accepts raw motion on the root.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    X11Support::ErrorTrap trap(display.get());
    XISelectEvents(display.get(), DefaultRootWindow(display.get()), &mask, 1);
    return trap.sync() == 0;
}
