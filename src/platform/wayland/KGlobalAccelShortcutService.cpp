#include "platform/wayland/KGlobalAccelShortcutService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "common/Console.h"

using namespace Qt::StringLiterals;

namespace {

const QString service = u"org.kde.kglobalaccel"_s;
const QString path = u"/kglobalaccel"_s;
const QString interface = u"org.kde.KGlobalAccel"_s;
// The keys asked for replace whatever KDE remembered for the action (the stored combination is
// Ovelin's own setting), and the action counts as present.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

QDBusMessage call(const QString& method, const QList<QVariant>& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

KGlobalAccelShortcutService::KGlobalAccelShortcutService(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
}

KGlobalAccelShortcutService::~KGlobalAccelShortcutService() = default;

bool KGlobalAccelShortcutService::isOffered(const QDBusConnection& bus)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service).value();
}

int KGlobalAccelShortcutService::keyCode(const Combination& combination)
{
    int code = combination.key.toUpper().unicode();
    if (combination.control)
        code |= Qt::ControlModifier;
    if (combination.alt)
        code |= Qt::AltModifier;
    if (combination.shift)
        code |= Qt::ShiftModifier;
    if (combination.super)
        code |= Qt::MetaModifier;
    return code;
}

QStringList KGlobalAccelShortcutService::actionId() const
{
    // Component and action, each with the name KDE's shortcut settings show.
    return {componentName, actionName, u"Ovelin"_s, u"Mostrar ou ocultar o histórico"_s};
}

void KGlobalAccelShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    m_pressed = std::move(pressed);
    m_state = State::Waiting;
    const quint64 generation = ++m_generation;
    if (!m_listening) {
        // The component's object path is its name: KDE's service makes it from componentName.
        m_listening = m_bus.connect(service, u"/component/"_s + componentName, u"org.kde.kglobalaccel.Component"_s,
                                    u"globalShortcutPressed"_s, this, SLOT(onPressed(QString, QString, qlonglong)));
    }
    m_bus.call(call(u"doRegister"_s, {actionId()}), QDBus::NoBlock);
    m_registered = true;
    const int asked = keyCode(combination);
    const QDBusPendingCall pending = m_bus.asyncCall(
        call(u"setShortcut"_s, {actionId(), QVariant::fromValue(QList<int>{asked}), setPresent | noAutoloading}));
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, asked, generation](QDBusPendingCallWatcher* finished) { answered(finished, asked, generation); });
}

void KGlobalAccelShortcutService::answered(QDBusPendingCallWatcher* watcher, int asked, quint64 generation)
{
    watcher->deleteLater();
    if (generation != m_generation)
        return;
    const QDBusPendingReply<QList<int>> reply = *watcher;
    if (reply.isError()) {
        m_state = State::Refused;
        ovelin::printLine(u"⚠️ Atalho não registrado no serviço de atalhos do KDE: "_s + reply.error().message());
        return;
    }
    if (!reply.value().contains(asked)) {
        // Another component (KWin, Plasma, an application) already holds the keys.
        m_state = State::Refused;
        ovelin::printLine(u"⚠️ Atalho não registrado no serviço de atalhos do KDE: as teclas já são de outro atalho"_s);
        return;
    }
    m_state = State::Registered;
    ovelin::printLine(u"✅ Atalho registrado no serviço de atalhos do KDE"_s);
}

void KGlobalAccelShortcutService::onPressed(const QString& component, const QString& action, qlonglong timestamp)
{
    Q_UNUSED(timestamp);
    if (component == componentName && action == actionName && m_pressed)
        m_pressed();
}

void KGlobalAccelShortcutService::unbind()
{
    ++m_generation;
    m_state = State::Waiting;
    if (!m_registered)
        return;
    m_registered = false;
    // Forgotten altogether, so that KDE's settings list no action of an Ovelin that quit.
    m_bus.call(call(u"unregister"_s, {componentName, actionName}), QDBus::NoBlock);
}

void KGlobalAccelShortcutService::unbindNow()
{
    ++m_generation;
    m_state = State::Waiting;
    if (!m_registered)
        return;
    m_registered = false;
    m_bus.call(call(u"unregister"_s, {componentName, actionName}), QDBus::Block, 1000);
}
