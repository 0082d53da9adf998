#include "app/InstanceAdaptor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {

// Long enough for a busy desktop; the running Ovelin answers before it acts on the command.
constexpr int callTimeoutMs = 10000;

QString text(const char* value)
{
    return QString::fromLatin1(value);
}

QString methodName(InstanceCommand command)
{
    switch (command) {
    case InstanceCommand::Toggle:
        return QStringLiteral("Toggle");
    case InstanceCommand::Show:
        return QStringLiteral("Show");
    case InstanceCommand::Quit:
        return QStringLiteral("Quit");
    case InstanceCommand::PauseCapture:
        return QStringLiteral("Pause");
    case InstanceCommand::ResumeCapture:
        return QStringLiteral("Resume");
    case InstanceCommand::Run:
    case InstanceCommand::ShowPreferences:
        break;
    }
    return QStringLiteral("ShowPreferences");
}

} // namespace

InstanceAdaptor::InstanceAdaptor(QObject* parent, std::function<void(InstanceCommand)> handler)
    : QDBusAbstractAdaptor(parent), m_handler(std::move(handler))
{
}

bool InstanceAdaptor::publish(QObject* parent, QString* error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus");
        return false;
    }
    if (!bus.registerObject(text(InstanceDBus::path), parent, QDBusConnection::ExportAdaptors)) {
        *error = bus.lastError().message();
        return false;
    }
    if (!bus.registerService(text(InstanceDBus::service))) {
        *error = bus.lastError().message();
        bus.unregisterObject(text(InstanceDBus::path));
        return false;
    }
    return true;
}

void InstanceAdaptor::Toggle()
{
    m_handler(InstanceCommand::Toggle);
}

void InstanceAdaptor::Show()
{
    m_handler(InstanceCommand::Show);
}

void InstanceAdaptor::ShowPreferences()
{
    m_handler(InstanceCommand::ShowPreferences);
}

void InstanceAdaptor::Quit()
{
    m_handler(InstanceCommand::Quit);
}

void InstanceAdaptor::Pause(int minutes)
{
    if (m_pauseHandler)
        m_pauseHandler(minutes);
    m_handler(InstanceCommand::PauseCapture);
}

void InstanceAdaptor::Resume()
{
    m_handler(InstanceCommand::ResumeCapture);
}

bool DBusInstanceBus::isConnected()
{
    return QDBusConnection::sessionBus().isConnected();
}

bool DBusInstanceBus::isAnswering()
{
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(text(InstanceDBus::service)).value();
}

bool DBusInstanceBus::send(InstanceCommand command)
{
    QDBusMessage call = QDBusMessage::createMethodCall(text(InstanceDBus::service), text(InstanceDBus::path),
                                                       text(InstanceDBus::interface), methodName(command));
    if (command == InstanceCommand::PauseCapture)
        call << m_pauseMinutes;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
