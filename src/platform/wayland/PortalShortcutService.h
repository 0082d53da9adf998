#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "platform/GlobalShortcutService.h"

class QDBusMessage;
class QDBusPendingCallWatcher;

/// The shortcut registered with the desktop portal's GlobalShortcuts interface (KDE, GNOME 48+,
/// Hyprland): a session of our own with one shortcut whose preferred trigger is the stored one;
/// the desktop may ask the user first or choose another trigger. Every call is asynchronous.
class PortalShortcutService : public QObject, public GlobalShortcutService
{
    Q_OBJECT
public:
    /// The shortcut's id within the session.
    static inline const QString shortcutId = QStringLiteral("toggle-panel");

    explicit PortalShortcutService(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalShortcutService() override;

    /// True when the desktop portal on the bus answers that it has the GlobalShortcuts interface
    /// (version 1 or later). Waits at most `timeoutMs` for the portal, which may have to start.
    static bool isOffered(const QDBusConnection& bus, int timeoutMs = 3000);
    /// The portal's name of the combination: "CTRL+ALT+SHIFT+LOGO+v".
    static QString triggerText(const Combination& combination);

    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override;
    State state() const override { return m_state; }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results, const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);

private:
    void createSession();
    void bindShortcut();
    // Starts a portal request; its Response arrives at `onResponse` with `m_request` as path.
    void request(const QString& method, const QList<QVariant>& arguments, const QString& token);
    void listenForResponse(const QString& path);
    void refused(const QString& reason);

    QDBusConnection m_bus;
    std::function<void()> m_pressed;
    QString m_trigger;
    enum class Step
    {
        Idle,
        CreatingSession,
        BindingShortcut
    };

    Step m_step = Step::Idle;
    State m_state = State::Waiting;
    QString m_session;
    QString m_request;
    QString m_listened;
    quint64 m_generation = 0;
    quint64 m_tokens = 0;
};
