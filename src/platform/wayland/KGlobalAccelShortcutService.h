#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/GlobalShortcutService.h"

class QDBusPendingCallWatcher;

/// The shortcut held by KDE's global shortcut service (org.kde.kglobalaccel, inside KWin on
/// Plasma 5.27 and in kglobalacceld on Plasma 6): one action of Ovelin's own component, its keys
/// set to the stored combination. KDE answers with the keys it really gave: none when another
/// component holds them. Presses come back as the component's globalShortcutPressed signal.
class KGlobalAccelShortcutService : public QObject, public GlobalShortcutService
{
    Q_OBJECT
public:
    static inline const QString componentName = QStringLiteral("ovelin");
    static inline const QString actionName = QStringLiteral("toggle-panel");

    explicit KGlobalAccelShortcutService(const QDBusConnection& bus, QObject* parent = nullptr);
    ~KGlobalAccelShortcutService() override;

    /// True when the service is on the bus.
    static bool isOffered(const QDBusConnection& bus);
    /// Qt's key code of the combination, as KDE stores it (Ctrl+Meta+V: Qt::CTRL | Qt::META | Qt::Key_V).
    static int keyCode(const Combination& combination);

    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override;
    void unbindNow() override;
    State state() const override { return m_state; }

private Q_SLOTS:
    void onPressed(const QString& component, const QString& action, qlonglong timestamp);

private:
    QStringList actionId() const;
    void answered(QDBusPendingCallWatcher* watcher, int asked, quint64 generation);

    QDBusConnection m_bus;
    std::function<void()> m_pressed;
    State m_state = State::Waiting;
    bool m_listening = false;
    bool m_registered = false;
    quint64 m_generation = 0;
};
