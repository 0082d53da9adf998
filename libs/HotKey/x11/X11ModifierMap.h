#pragma once

#include <initializer_list>

#include <X11/Xlib.h>

namespace HotKeys::x11 {

/// The modifier bit (ShiftMask ... Mod5Mask) that carries any of the keysyms on this display's
/// keyboard map, or 0 when none does. Super and Num Lock are not on the same bit everywhere.
unsigned int modifierMaskFor(Display* display, std::initializer_list<KeySym> keysyms);

} // namespace HotKeys::x11
