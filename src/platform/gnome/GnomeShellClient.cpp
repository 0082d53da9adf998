#include "platform/gnome/GnomeShellClient.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

#include "common/Console.h"

namespace {

QString text(const char* value)
{
    return QString::fromLatin1(value);
}

} // namespace

GnomeShellClient::GnomeShellClient(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_watcher(new QDBusServiceWatcher(this))
{
    m_watcher->setConnection(m_bus);
    // Ovelin's own name too: the extension serves this process once that name is its own.
    m_watcher->setWatchedServices({text(service), QStringLiteral("app.ovelin.Ovelin")});
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString& name, const QString&, const QString& owner) {
                if (name == text(service) && owner.isEmpty()) {
                    ovelin::printLine(qtTrId("gnome_extension_gone_line"));
                    setState(State::Missing);
                } else {
                    greet();
                }
            });
    m_bus.connect(text(service), text(path), text(interface), QStringLiteral("ClipboardChanged"), this,
                  SLOT(onClipboardChanged(uint, QStringList, QString, bool)));
    greet();
}

QDBusMessage GnomeShellClient::call(const QString& method, const QVariantList& arguments, int timeoutMs,
                                    QString* error) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(text(service), text(path), text(interface), method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return reply;
    if (error)
        *error = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    return {};
}

void GnomeShellClient::greet()
{
    if (!m_bus.interface() || !m_bus.interface()->isServiceRegistered(text(service))) {
        setState(State::Missing);
        return;
    }
    const QDBusMessage reply = call(QStringLiteral("Hello"), {interfaceVersion}, 2000);
    if (reply.arguments().size() != 2) {
        setState(State::Missing);
        return;
    }
    const quint32 version = reply.arguments().at(0).toUInt();
    m_shellVersion = reply.arguments().at(1).toString();
    if (version != interfaceVersion && version != m_extensionVersion)
        ovelin::printLine(qtTrId("gnome_extension_version_line").arg(version).arg(interfaceVersion));
    m_extensionVersion = version;
    // Told even when ready before (a new Ovelin name, the extension back): subscribe, bind anew.
    m_state = version == interfaceVersion ? State::Ready : State::Mismatched;
    Q_EMIT stateChanged();
}

void GnomeShellClient::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (state != State::Ready)
        m_requestedWindow = 0;
    Q_EMIT stateChanged();
}

void GnomeShellClient::onClipboardChanged(uint serial, const QStringList& formats, const QString& owner,
                                          bool concealed)
{
    if (isReady())
        Q_EMIT clipboardChanged(serial, formats, owner, concealed);
}

QString GnomeShellClient::enableCommand()
{
    return QStringLiteral("gnome-extensions enable ") + text(uuid);
}
