#pragma once

#include <QList>
#include <QString>

/// One thing the session may let Ovelin do, and how Ovelin does it there.
struct SessionCapability
{
    enum class Kind
    {
        ClipboardAccess,
        Paste,
        FrontmostApplication,
        Shortcut,
        Placement,
        PointerMotion,
        ShellExtension, ///< the desktop's own extension that the other rows go through (GNOME)
    };
    Kind kind = Kind::ClipboardAccess;
    bool found = false;
    /// For the start line, in its language: the mechanism used, or what happens without one.
    QString how;
    /// Missing because the desktop itself already uses what Ovelin asked for (the shortcut's keys).
    bool taken = false;
    /// There, but speaking another interface version than this Ovelin (the shell extension).
    bool mismatched = false;
};

/// What the display lets Ovelin do: the capabilities the permissions page reports.
/// The checks only ask; none prompts the user nor changes anything.
class CapabilityService
{
public:
    virtual ~CapabilityService() = default;
    /// Synthetic key presses can be sent (the paste keystroke): the display offers XTEST.
    virtual bool canSynthesizeInput() const = 0;
    /// Global input can be watched (the mouse shake): the display offers XInput 2 and the
    /// session is not a Wayland session, where an X client sees only its own input.
    virtual bool canMonitorInput() const = 0;
    /// False where no client is ever given the pointer's motion outside its own windows
    /// (Wayland): the shake cannot work there, whatever the user grants.
    virtual bool offersGlobalPointer() const { return true; }
    /// The session's capabilities row by row where the two checks above do not tell it all
    /// (Wayland); empty on X11.
    virtual QList<SessionCapability> sessionCapabilities() const { return {}; }
    /// True where the session grants the paste and the frontmost application only to an
    /// executable that an installed desktop entry names (KWin), and withholds them from this one.
    virtual bool missesDesktopEntry() const { return false; }
    /// Writes the user's own desktop entry for this executable and refreshes the desktop's
    /// service cache; takes effect at Ovelin's next start. False, with the reason, when it failed.
    virtual bool installDesktopEntry(QString* error) const
    {
        Q_UNUSED(error);
        return false;
    }

    /// The start line: the backend's name and each capability, found or missing.
    static QString startLine(const QString& backend, const QList<SessionCapability>& capabilities);
};
