#pragma once

#include <optional>

#include <QObject>
#include <QString>

#include "platform/GlobalShortcutService.h"

class SwayIpcClient;

/// The shortcut bound in sway for this session: `bindsym --no-repeat <combo> exec <this executable>
/// --toggle`, with the environment that leads the started process to this running Ovelin. The
/// press reaches Ovelin through its own command line, so `pressed` is never called. Reloading
/// sway's configuration drops bindings made over IPC: the binding is made again after a reload.
class SwayShortcutService : public QObject, public GlobalShortcutService
{
    Q_OBJECT
public:
    /// `ipc` is not owned and must outlive the service. Subscribes to sway's workspace events,
    /// which announce a reload.
    explicit SwayShortcutService(SwayIpcClient* ipc, QObject* parent = nullptr);

    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override;
    void unbindNow() override;

    /// sway's name of the combination: "Ctrl+Mod1+Shift+Mod4+v".
    static QString comboText(const Combination& combination);
    /// The shell command the binding runs: this running Ovelin's XDG_DATA_HOME and
    /// DBUS_SESSION_BUS_ADDRESS (when set), then `executable` --toggle, each single-quoted. None
    /// when a value holds a character that sway's own parser would change (quotes, backslash,
    /// "$", control characters).
    static std::optional<QString> toggleCommand(const QString& executable);
    /// The whole sway command that binds `combo` to `command`.
    static QString bindCommand(const QString& combo, const QString& command);

private:
    QString takeUnbindCommand();
    void sendBinding();
    void reloaded(quint32 type, const QByteArray& payload);

    SwayIpcClient* m_ipc;
    QString m_bound;
    QString m_bindCommand;
};
