#include "platform/x11/X11KeyEventPoster.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "X11Support/X11Support.h"

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

bool X11KeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    Display* dpy = X11Support::applicationDisplay();
    if (!dpy) {
        setError(error, QStringLiteral("sem conexão com o servidor X"));
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(dpy, &eventBase, &errorBase, &major, &minor)) {
        setError(error, QStringLiteral("o servidor X não oferece a extensão XTEST"));
        return false;
    }
    const bool terminal = keystroke == PasteKeystroke::ShiftInsert;
    const KeyCode modifier = XKeysymToKeycode(dpy, terminal ? XK_Shift_L : XK_Control_L);
    const KeyCode key = XKeysymToKeycode(dpy, terminal ? XK_Insert : XK_v);
    if (modifier == 0 || key == 0) {
        setError(error, QStringLiteral("o mapa de teclado não tem as teclas do atalho de colar"));
        return false;
    }
    X11Support::ErrorTrap trap(dpy);
    XTestFakeKeyEvent(dpy, modifier, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    XTestFakeKeyEvent(dpy, modifier, False, CurrentTime);
    if (const int code = trap.sync()) {
        setError(error, QStringLiteral("o servidor X recusou as teclas (erro %1)").arg(code));
        return false;
    }
    return true;
}
