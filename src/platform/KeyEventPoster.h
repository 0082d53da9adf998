#pragma once

#include <chrono>

#include <QString>

/// The keystrokes that make an application paste.
enum class PasteKeystroke
{
    ControlV,     ///< ordinary applications
    ShiftInsert,  ///< X11 terminal emulators: every common one binds it to a paste, Ctrl+Shift+V not all
    ControlShiftV ///< Wayland terminal emulators, which all bind it (Shift+Insert pastes PRIMARY in some)
};

/// The keystroke as the console lines name it ("Shift+Insert").
QString pasteKeystrokeName(PasteKeystroke keystroke);

/// Synthesizes keyboard input for the window that has the keyboard focus. GUI thread only.
class KeyEventPoster
{
public:
    virtual ~KeyEventPoster() = default;

    /// The mechanism's name, as the console lines report it (for example "XTEST").
    virtual QString mechanismName() const = 0;
    /// What terminal emulators get instead of Ctrl+V.
    virtual PasteKeystroke terminalPasteKeystroke() const { return PasteKeystroke::ShiftInsert; }
    /// Readies the focused application for synthetic keys; the keystroke is posted that much later.
    /// Zero where the keys can follow at once.
    virtual std::chrono::milliseconds prepareToPost() { return std::chrono::milliseconds(0); }
    /// Presses and releases the keystroke. False, with a reason in `error`, when the events could
    /// not be posted (no synthetic-input extension, no key for the keystroke in the keymap).
    virtual bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) = 0;
};

inline QString pasteKeystrokeName(PasteKeystroke keystroke)
{
    switch (keystroke) {
    case PasteKeystroke::ControlV:
        return QStringLiteral("Ctrl+V");
    case PasteKeystroke::ShiftInsert:
        return QStringLiteral("Shift+Insert");
    case PasteKeystroke::ControlShiftV:
        return QStringLiteral("Ctrl+Shift+V");
    }
    return {};
}
