#pragma once

#include <initializer_list>

// Declared as Xlib does, so that this header does not bring Xlib's macros in before Qt's headers.
typedef struct _XDisplay Display;
typedef unsigned long KeySym;

/// Xlib helpers shared by the hot key module's X11 part and the application's X11 services, so
/// that each exists once. GUI thread only.
namespace X11Support {

/// The application's own Xlib connection (Qt's), or null when the application does not run on X11.
Display* applicationDisplay();

/// While alive, X errors of the requests made on `display` are recorded instead of reaching the
/// process-wide handler. Under Qt that handler ignores every error, so a request that failed
/// unnoticed would otherwise read as a success. Traps do not nest.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    /// Waits for the server's answer to everything sent so far; the code of the first error
    /// since the trap was set, or 0.
    int sync();

private:
    Display* m_display;
};

/// The modifier bit (ShiftMask ... Mod5Mask) that carries any of the keysyms on this display's
/// keyboard map, or 0 when none does. Super and Num Lock are not on the same bit everywhere.
unsigned int modifierMaskFor(Display* display, std::initializer_list<KeySym> keysyms);

} // namespace X11Support
