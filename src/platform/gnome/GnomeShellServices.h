#pragma once

#include <QObject>

#include "platform/CapabilityService.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/GlobalShortcutService.h"
#include "platform/KeyEventPoster.h"
#include "platform/WindowSystem.h"

class GnomeShellClient;

// The services of a GNOME session that go through the Shell extension. Each takes the client,
// not owned, which outlives it. GUI thread only.

/// The focused window as the shell knows it; Ovelin's own windows never count as frontmost.
class GnomeFrontmostApplicationService : public QObject, public FrontmostApplicationService
{
    Q_OBJECT
public:
    explicit GnomeFrontmostApplicationService(GnomeShellClient* shell, QObject* parent = nullptr);
    std::optional<FrontmostApplication> frontmostApplication() override;
    bool activateWindow(quint64 windowId) override;
    QStringList runningApplications() override;
    /// Asks the shell every few milliseconds until a window other than Ovelin's has the focus.
    void whenFocusSettled(std::chrono::milliseconds timeout, QObject* context,
                          std::function<void()> ready) override;

private:
    std::optional<FrontmostApplication> focusedWindow();
    GnomeShellClient* m_shell;
};

/// The paste keys from a virtual keyboard inside the shell, once the window Ovelin asked to
/// activate has the focus.
class GnomeKeyEventPoster : public KeyEventPoster
{
public:
    explicit GnomeKeyEventPoster(GnomeShellClient* shell) : m_shell(shell) {}
    QString mechanismName() const override { return QStringLiteral("GNOME Shell"); }
    PasteKeystroke terminalPasteKeystroke() const override { return PasteKeystroke::ControlShiftV; }
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override;

private:
    GnomeShellClient* m_shell;
};

/// The panel placed at the pointer by the shell, kept on the pointer's monitor.
class GnomeWindowSystem : public WindowSystem
{
public:
    explicit GnomeWindowSystem(GnomeShellClient* shell) : m_shell(shell) {}
    bool setOnAllDesktops(quint64) override { return false; }
    bool hasCompositor() const override { return true; }
    bool placeAtPointer(quint64 window) override;

private:
    GnomeShellClient* m_shell;
};

/// The shortcut as a keybinding of the extension, which calls Ovelin's Toggle on the bus (so
/// `pressed` is never called). Bound again whenever the extension comes back.
class GnomeShortcutService : public QObject, public GlobalShortcutService
{
    Q_OBJECT
public:
    explicit GnomeShortcutService(GnomeShellClient* shell, QObject* parent = nullptr);
    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override;
    State state() const override { return m_state; }

    /// The shell's name of the combination: "<Control><Super>v".
    static QString accelerator(const Combination& combination);

private:
    void send();
    GnomeShellClient* m_shell;
    QString m_accelerator;
    State m_state = State::Waiting;
};

/// What the extension gives, row by row, and what to do without it.
class GnomeCapabilityService : public CapabilityService
{
public:
    GnomeCapabilityService(const GnomeShellClient* shell, const GlobalShortcutService* shortcuts)
        : m_shell(shell), m_shortcuts(shortcuts)
    {
    }
    bool canSynthesizeInput() const override;
    bool canMonitorInput() const override { return false; }
    bool offersGlobalPointer() const override { return false; }
    QList<SessionCapability> sessionCapabilities() const override;

private:
    const GnomeShellClient* m_shell;
    const GlobalShortcutService* m_shortcuts;
};
