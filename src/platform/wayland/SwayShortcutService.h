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
/// A bindsym on keys already bound replaces that binding without a word, so the keys are first
/// looked up in sway's configuration: keys the user bound there are left to the user.
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
    State state() const override { return m_state; }

    /// sway's name of the combination: "Ctrl+Mod1+Shift+Mod4+v".
    static QString comboText(const Combination& combination);
    /// The shell command the binding runs: this running Ovelin's XDG_DATA_HOME and
    /// DBUS_SESSION_BUS_ADDRESS (when set), then `executable` --toggle, each single-quoted. None
    /// when a value holds a character that sway's own parser would change (quotes, backslash,
    /// "$", control characters).
    static std::optional<QString> toggleCommand(const QString& executable);
    /// The whole sway command that binds `combo` to `command`.
    static QString bindCommand(const QString& combo, const QString& command);
    /// Whether sway's configuration text binds `combo` (as comboText() writes it) in the default
    /// mode: after its variables are replaced, whatever the order and the names of the modifiers.
    static bool configBinds(const QString& config, const QString& combo);

private:
    QString takeUnbindCommand();
    void sendBinding();
    void reloaded(quint32 type, const QByteArray& payload);

    SwayIpcClient* m_ipc;
    QString m_wanted; // the combination asked for
    QString m_bound;  // what sway holds for Ovelin: released by unbind()
    QString m_bindCommand;
    quint64 m_generation = 0;
    State m_state = State::Waiting;
};
