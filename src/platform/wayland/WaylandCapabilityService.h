#pragma once

#include <functional>

#include <QSet>
#include <QString>

#include "platform/CapabilityService.h"

class GlobalShortcutService;

/// What the compositor offers a clipboard manager, read from its list of globals on a short
/// connection of our own, and how Ovelin reaches the shortcut and the panel's placement.
class WaylandCapabilityService : public CapabilityService
{
public:
    /// What this build of Ovelin can use when the compositor offers it.
    struct Built
    {
        bool clipboard = false;
        bool paste = false;
        bool frontmostApplication = false;
        bool swayIpc = false;
        bool portalShortcuts = false;
        bool kdeShortcuts = false;
        bool plasmaShell = false;
    };

    /// Asks the compositor named by WAYLAND_DISPLAY (none offered when it cannot be reached).
    explicit WaylandCapabilityService(Built built);
    /// For tests: the globals the compositor announced, the sway socket and whether the
    /// desktop portal answered that it offers global shortcuts.
    WaylandCapabilityService(Built built, QSet<QString> globals, bool swaySocket, bool portalShortcuts);

    bool canSynthesizeInput() const override;
    bool canMonitorInput() const override { return false; }
    bool offersGlobalPointer() const override { return false; }
    QList<SessionCapability> sessionCapabilities() const override;

    /// The service that binds the shortcut (not owned): once it was refused, or the keys are the
    /// desktop's own, the shortcut is reported missing.
    void setShortcutService(const GlobalShortcutService* shortcuts) { m_shortcuts = shortcuts; }
    /// Whether the paste's device is still there (KWin can withdraw its fake input); without it,
    /// the device stays as long as the connection.
    void setPasteStillOffered(std::function<bool()> offered) { m_pasteStillOffered = std::move(offered); }

    /// The clipboard protocol in use, "" when the compositor offers none (Weston, GNOME).
    QString clipboardProtocol() const;

    /// KWin (Plasma), which offers its fake input and window list only to an executable that its
    /// installed desktop entry names.
    bool isKwin() const;
    bool missesDesktopEntry() const override;
    /// ~/.local/share/applications/app.ovelin.Ovelin.desktop naming this executable, then
    /// kbuildsycoca5 (or kbuildsycoca6).
    bool installDesktopEntry(QString* error) const override;

    /// The interface names of the compositor's globals; empty when it cannot be reached.
    static QSet<QString> announcedGlobals();

private:
    QString pasteHow(bool kwin) const;

    Built m_built;
    QSet<QString> m_globals;
    bool m_swaySocket = false;
    bool m_portalShortcuts = false;
    const GlobalShortcutService* m_shortcuts = nullptr;
    std::function<bool()> m_pasteStillOffered;
};
