#pragma once

#include <QString>

/// The keystrokes that make an application paste.
enum class PasteKeystroke
{
    ControlV,   ///< ordinary applications
    ShiftInsert ///< terminal emulators: every common one binds it to a paste, Ctrl+Shift+V not all
};

/// Synthesizes keyboard input for the window that has the keyboard focus. GUI thread only.
class KeyEventPoster
{
public:
    virtual ~KeyEventPoster() = default;

    /// The mechanism's name, as the console lines report it (for example "XTEST").
    virtual QString mechanismName() const = 0;
    /// Presses and releases the keystroke. False, with a reason in `error`, when the events could
    /// not be posted (no synthetic-input extension, no key for the keystroke in the keymap).
    virtual bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) = 0;
};
