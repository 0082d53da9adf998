#pragma once

#include "platform/PlatformServices.h"

namespace ovelin::x11 {

/// The X11 services of the running application: the clipboard, the frontmost application, the
/// XTEST key poster and the sound player. Created on the first call (a QGuiApplication on the
/// xcb platform must exist) and kept for the life of the process.
const PlatformServices& platformServices();

} // namespace ovelin::x11
