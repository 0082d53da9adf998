#include "platform/wayland/SwayPanelPlacement.h"

#include <QCoreApplication>
#include <QPointer>

#include "common/Console.h"
#include "platform/wayland/SwayIpcClient.h"

namespace {

const QString placement = QStringLiteral("floating enable, border none, sticky enable, move position cursor");

QString criteria(qint64 pid)
{
    return QStringLiteral("[pid=%1 title=\"^Ovelin$\"]").arg(pid);
}

} // namespace

SwayPanelPlacement::SwayPanelPlacement(SwayIpcClient* ipc, QObject* parent) : QObject(parent), m_ipc(ipc)
{
}

QString SwayPanelPlacement::placeCommands(qint64 pid)
{
    return criteria(pid) + u' ' + placement;
}

QString SwayPanelPlacement::firstCommands(qint64 pid)
{
    return QStringLiteral("for_window %1 \"%2\"; %3").arg(criteria(pid), placement, placeCommands(pid));
}

void SwayPanelPlacement::place()
{
    const qint64 pid = QCoreApplication::applicationPid();
    const bool first = !m_ruleSent;
    m_ruleSent = true;
    m_ipc->runCommand(first ? firstCommands(pid) : placeCommands(pid),
                      [self = QPointer(this), first](const std::optional<QStringList>& errors) {
                          // "No matching node" is no fault: the panel may not be mapped yet, and
                          // the rule places it when it is.
                          if (!errors && self) {
                              if (first)
                                  self->m_ruleSent = false;
                              ovelin::printLine(
                                  QStringLiteral("⚠️ O sway não respondeu ao posicionar a janela"));
                          }
                      });
}
