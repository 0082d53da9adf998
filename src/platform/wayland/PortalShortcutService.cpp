#include "platform/wayland/PortalShortcutService.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStringList>

#include "common/Console.h"

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcutEntry
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcutEntry)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry)
{
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// Portals ask the user at times; an answer to the call itself comes at once.
constexpr int callTimeout = 10000;

QString pathOf(const QVariant& value)
{
    // Older portals answer the session handle as a string, newer ones as an object path.
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalShortcutService::PortalShortcutService(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcutEntry>();
    qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
}

PortalShortcutService::~PortalShortcutService()
{
    unbind();
}

bool PortalShortcutService::isOffered(const QDBusConnection& bus, int timeoutMs)
{
    QDBusConnectionInterface* daemon = bus.interface();
    if (!bus.isConnected() || daemon == nullptr)
        return false;
    if (!daemon->isServiceRegistered(portalService).value() &&
        !daemon->activatableServiceNames().value().contains(portalService))
        return false;
    // A portal without the interface (xdg-desktop-portal before 1.18) still answers on its name.
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    const QDBusReply<QDBusVariant> version = bus.call(get, QDBus::Block, timeoutMs);
    return version.isValid() && version.value().variant().toUInt() >= 1;
}

QString PortalShortcutService::triggerText(const Combination& combination)
{
    QStringList parts;
    if (combination.control)
        parts << QStringLiteral("CTRL");
    if (combination.alt)
        parts << QStringLiteral("ALT");
    if (combination.shift)
        parts << QStringLiteral("SHIFT");
    if (combination.super)
        parts << QStringLiteral("LOGO");
    parts << QString(combination.key.toLower());
    return parts.join(u'+');
}

void PortalShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    unbind();
    m_state = State::Waiting;
    m_pressed = std::move(pressed);
    m_trigger = triggerText(combination);
    const quint64 generation = m_generation;
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get, callTimeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (generation != m_generation)
                    return;
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError() || reply.value().variant().toUInt() < 1) {
                    refused(QStringLiteral("o portal não oferece atalhos globais"));
                    return;
                }
                createSession();
            });
}

void PortalShortcutService::unbind()
{
    ++m_generation;
    m_step = Step::Idle;
    m_request.clear();
    if (m_session.isEmpty())
        return;
    m_bus.send(QDBusMessage::createMethodCall(
        portalService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

void PortalShortcutService::createSession()
{
    const QString token = QStringLiteral("ovelin%1").arg(++m_tokens);
    m_step = Step::CreatingSession;
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
    request(QStringLiteral("CreateSession"), {options}, token);
}

void PortalShortcutService::bindShortcut()
{
    const QString token = QStringLiteral("ovelin%1").arg(++m_tokens);
    m_step = Step::BindingShortcut;
    const QList<PortalShortcutEntry> shortcuts{
        {shortcutId,
         {{QStringLiteral("description"), QStringLiteral("Show or hide the clipboard history")},
          {QStringLiteral("preferred_trigger"), m_trigger}}}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(),
             QVariantMap{{QStringLiteral("handle_token"), token}}},
            token);
}

void PortalShortcutService::request(const QString& method, const QList<QVariant>& arguments,
                                    const QString& token)
{
    // The answer may come before the call returns: listen where the portal will put it first.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    m_request = portalPath + QStringLiteral("/request/") + sender + u'/' + token;
    listenForResponse(m_request);
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    call.setArguments(arguments);
    const quint64 generation = m_generation;
    const QString expected = m_request;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation, expected](QDBusPendingCallWatcher* pending) {
                pending->deleteLater();
                if (generation != m_generation)
                    return;
                const QDBusPendingReply<QDBusObjectPath> reply = *pending;
                if (reply.isError()) {
                    refused(reply.error().message());
                    return;
                }
                // A portal that answered first has moved on to the next request by now.
                if (m_step != Step::Idle && m_request == expected && reply.value().path() != m_request) {
                    m_request = reply.value().path();
                    listenForResponse(m_request);
                }
            });
}

void PortalShortcutService::listenForResponse(const QString& path)
{
    const QString interface = QStringLiteral("org.freedesktop.portal.Request");
    const QString name = QStringLiteral("Response");
    const char* slot = SLOT(onResponse(uint, QVariantMap, QDBusMessage));
    if (!m_listened.isEmpty())
        m_bus.disconnect(portalService, m_listened, interface, name, this, slot);
    m_listened = path;
    m_bus.connect(portalService, path, interface, name, this, slot);
}

void PortalShortcutService::onResponse(uint response, const QVariantMap& results, const QDBusMessage& message)
{
    if (message.path() != m_request || m_step == Step::Idle)
        return;
    m_request.clear();
    if (response != 0) {
        m_step = Step::Idle;
        refused(QStringLiteral("recusado (resposta %1)").arg(response));
        return;
    }
    if (m_step == Step::CreatingSession) {
        m_session = pathOf(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            m_step = Step::Idle;
            refused(QStringLiteral("sessão sem identificador"));
            return;
        }
        bindShortcut();
        return;
    }
    m_step = Step::Idle;
    m_state = State::Registered;
}

void PortalShortcutService::onActivated(const QDBusMessage& message)
{
    // Activated (o session_handle, s shortcut_id, t timestamp, a{sv} options).
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() || !m_pressed)
        return;
    if (pathOf(arguments.at(0)) == m_session && arguments.at(1).toString() == shortcutId)
        m_pressed();
}

void PortalShortcutService::refused(const QString& reason)
{
    m_state = State::Refused;
    ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no portal: ") + reason);
}
