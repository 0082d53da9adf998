#pragma once

#include <functional>

#include <QChar>
#include <QString>

/// Binds the panel's global shortcut: by a key grab of Ovelin's own (X11), or by asking the
/// desktop, which owns global keys there (Wayland). A desktop answers later; a refused binding
/// prints a line of its own.
class GlobalShortcutService
{
public:
    /// One key (A–Z or 0–9, upper case) with its modifiers.
    struct Combination
    {
        QChar key;
        bool control = false;
        bool alt = false;
        bool shift = false;
        bool super = false;
    };

    /// What became of the last bind().
    enum class State
    {
        Waiting,    // nothing bound yet, or the desktop has not answered
        Registered, // the desktop holds the binding
        Refused,    // the desktop refused it, or could not be asked
        KeysTaken,  // the desktop's own configuration already uses the keys: left to it
    };

    virtual ~GlobalShortcutService() = default;

    /// Binds `combination` in place of the one bound before. `pressed` runs on the GUI thread for
    /// each press the service itself receives (a desktop that runs "ovelin --toggle" instead never
    /// calls it).
    virtual void bind(const Combination& combination, std::function<void()> pressed) = 0;
    /// Releases the bound combination, if any.
    virtual void unbind() = 0;
    /// The same at quit, when no event loop runs again to carry a request: waits briefly for the
    /// desktop's answer.
    virtual void unbindNow() { unbind(); }
    virtual State state() const { return State::Waiting; }

    /// The command a user binds in the desktop's own settings when no service is there: this
    /// executable's absolute path with --toggle.
    static QString toggleCommand();
};
