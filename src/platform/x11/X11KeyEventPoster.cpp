#include "platform/x11/X11KeyEventPoster.h"

#include <QGuiApplication>
#include <QList>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

Display* display()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

bool X11KeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    Display* dpy = display();
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
    QList<KeySym> modifiers{XK_Control_L};
    if (keystroke == PasteKeystroke::ControlShiftV)
        modifiers.append(XK_Shift_L);
    QList<KeyCode> modifierCodes;
    for (KeySym sym : modifiers)
        modifierCodes.append(XKeysymToKeycode(dpy, sym));
    const KeyCode v = XKeysymToKeycode(dpy, XK_v);
    if (v == 0 || modifierCodes.contains(KeyCode(0))) {
        setError(error, QStringLiteral("o mapa de teclado não tem as teclas do atalho de colar"));
        return false;
    }
    for (KeyCode code : modifierCodes)
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, v, True, CurrentTime);
    XTestFakeKeyEvent(dpy, v, False, CurrentTime);
    for (auto it = modifierCodes.crbegin(); it != modifierCodes.crend(); ++it)
        XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    XFlush(dpy);
    return true;
}
