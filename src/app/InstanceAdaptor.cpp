#include "app/InstanceAdaptor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QTimer>

#include "common/Console.h"

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

InstanceAdaptor::Publication InstanceAdaptor::publish(QObject* parent, std::chrono::milliseconds nameTimeout)
{
    static const QString unreachable =
        QStringLiteral("⚠️ Comandos de outras execuções não chegarão a este Ovelin: ");
    const QString name = text(InstanceDBus::service);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ovelin::printLine(unreachable + QStringLiteral("no session bus"));
        return Publication::Failed;
    }
    if (!bus.registerObject(text(InstanceDBus::path), parent, QDBusConnection::ExportAdaptors)) {
        ovelin::printLine(unreachable + bus.lastError().message());
        return Publication::Failed;
    }
    // An Ovelin that is ending lets go of its lock before its bus connection closes: queued,
    // this one gets the name the moment that one is gone.
    QDBusConnectionInterface* names = bus.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = names->registerService(
        name, QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        ovelin::printLine(unreachable + (reply.isValid() ? QStringLiteral("o nome %1 está em uso").arg(name)
                                                         : reply.error().message()));
        bus.unregisterObject(text(InstanceDBus::path));
        return Publication::Failed;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Publication::Published;

    ovelin::printLine(QStringLiteral("⏳ Outro processo ainda tem o nome %1 no barramento de sessão; "
                                     "aguardando que ele o libere")
                          .arg(name));
    auto* overdue = new QTimer(parent);
    overdue->setSingleShot(true);
    QObject::connect(overdue, &QTimer::timeout, [name] {
        ovelin::printLine(unreachable + QStringLiteral("o nome %1 continua com outro processo").arg(name));
    });
    QObject::connect(
        names, &QDBusConnectionInterface::serviceRegistered, overdue,
        [overdue, name](const QString& registered) {
            if (registered != name)
                return;
            if (!overdue->isActive())
                ovelin::printLine(
                    QStringLiteral("✅ Nome %1 obtido; este Ovelin recebe os comandos").arg(name));
            overdue->deleteLater();
        });
    overdue->start(nameTimeout);
    return Publication::Waiting;
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

void InstanceAdaptor::Pause(int minutes, const QDBusMessage& message)
{
    if (minutes < 0 || minutes > CommandLine::longestPauseMinutes) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QDBusError::InvalidArgs, QStringLiteral("Pause takes minutes, from 0 to %1: %2")
                                         .arg(CommandLine::longestPauseMinutes)
                                         .arg(minutes)));
        return;
    }
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
