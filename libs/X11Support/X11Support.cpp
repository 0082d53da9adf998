#include "X11Support/X11Support.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace X11Support {

namespace {

int g_firstError = 0;
XErrorHandler g_previousHandler = nullptr;

int recordError(Display*, XErrorEvent* event)
{
    if (g_firstError == 0) {
        g_firstError = event->error_code;
    }
    return 0;
}

} // namespace

Display* applicationDisplay()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

ErrorTrap::ErrorTrap(Display* display) : m_display(display)
{
    // Errors of earlier requests are not this trap's to see.
    XSync(m_display, False);
    g_firstError = 0;
    g_previousHandler = XSetErrorHandler(recordError);
}

ErrorTrap::~ErrorTrap()
{
    XSync(m_display, False);
    XSetErrorHandler(g_previousHandler);
}

int ErrorTrap::sync()
{
    XSync(m_display, False);
    return g_firstError;
}

unsigned int modifierMaskFor(Display* display, std::initializer_list<KeySym> keysyms)
{
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) {
        return 0;
    }
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
        for (int index = 0; index < map->max_keypermod && mask == 0; ++index) {
            const KeyCode keycode = map->modifiermap[modifier * map->max_keypermod + index];
            if (keycode == 0) {
                continue;
            }
            int symbolsPerCode = 0;
            KeySym* symbols = XGetKeyboardMapping(display, keycode, 1, &symbolsPerCode);
            if (symbols == nullptr) {
                continue;
            }
            for (int level = 0; level < symbolsPerCode && mask == 0; ++level) {
                for (const KeySym keysym : keysyms) {
                    if (symbols[level] == keysym) {
                        mask = 1u << modifier;
                    }
                }
            }
            XFree(symbols);
        }
    }
    XFreeModifiermap(map);
    return mask;
}

} // namespace X11Support
