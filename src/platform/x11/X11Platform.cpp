#include "platform/x11/X11Platform.h"

#include <QCoreApplication>

#include "platform/x11/CanberraSoundPlayer.h"
#include "platform/x11/X11ClipboardService.h"
#include "platform/x11/X11FrontmostApplicationService.h"
#include "platform/x11/X11KeyEventPoster.h"

namespace ovelin::x11 {

const PlatformServices& platformServices()
{
    // The clipboard service is a QObject tied to the application's clipboard: the application owns it.
    static auto* clipboard = new X11ClipboardService(QCoreApplication::instance());
    static X11FrontmostApplicationService frontmost;
    static X11KeyEventPoster keys;
    static CanberraSoundPlayer sound;
    static const PlatformServices services{clipboard, &frontmost, &keys, &sound};
    return services;
}

} // namespace ovelin::x11
