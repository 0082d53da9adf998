#include "platform/wayland/SwayPanelPlacement.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/Console.h"
#include "platform/wayland/SwayIpcClient.h"

namespace {

// Qt maps the window shortly after show(); this is ample even on a loaded machine.
constexpr int mappingTimeout = 5000;

} // namespace

SwayPanelPlacement::SwayPanelPlacement(SwayIpcClient* ipc, QObject* parent) : QObject(parent), m_ipc(ipc)
{
    m_waiting.setSingleShot(true);
    m_waiting.setInterval(mappingTimeout);
    connect(m_ipc, &SwayIpcClient::eventReceived, this, &SwayPanelPlacement::windowEvent);
    subscribe();
}

QString SwayPanelPlacement::commands(qint64 conId)
{
    // Focused explicitly too: sway gives a newly mapped window the focus only when its rules allow,
    // and the panel is useless without the keyboard.
    return QStringLiteral(
               "[con_id=%1] floating enable, border none, sticky enable, move position cursor, focus")
        .arg(conId);
}

void SwayPanelPlacement::subscribe()
{
    // Repeated with each placement: sway keeps one subscription per connection, and a failed
    // connection is made anew without it.
    m_ipc->send(SwayIpcClient::Subscribe, QByteArrayLiteral("[\"window\"]"));
}

void SwayPanelPlacement::place()
{
    subscribe();
    if (m_panel != 0) {
        placeContainer(m_panel);
        return;
    }
    m_waiting.start();
}

void SwayPanelPlacement::windowEvent(quint32 type, const QByteArray& payload)
{
    if (type != SwayIpcClient::windowEvent)
        return;
    const QJsonObject event = QJsonDocument::fromJson(payload).object();
    const QJsonObject container = event.value(QStringLiteral("container")).toObject();
    const qint64 id = container.value(QStringLiteral("id")).toInteger();
    const QString change = event.value(QStringLiteral("change")).toString();
    if (change == QStringLiteral("close") && id == m_panel) {
        m_panel = 0;
        return;
    }
    if (!m_waiting.isActive() ||
        container.value(QStringLiteral("pid")).toInteger() != QCoreApplication::applicationPid())
        return;
    // sway announces a window before its title: the title follows in an event of its own.
    if (change == QStringLiteral("new"))
        m_mapped = id;
    if (id != m_mapped || container.value(QStringLiteral("name")).toString() != QStringLiteral("Ovelin"))
        return;
    m_waiting.stop();
    m_panel = id;
    placeContainer(id);
}

void SwayPanelPlacement::placeContainer(qint64 conId)
{
    m_ipc->runCommand(commands(conId), [](const std::optional<QStringList>& errors) {
        if (!errors)
            ovelin::printLine(QStringLiteral("⚠️ O sway não respondeu ao posicionar a janela"));
    });
}
