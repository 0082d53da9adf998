#include "platform/wayland/UnboundShortcutService.h"

#include "common/Console.h"

void UnboundShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    Q_UNUSED(combination);
    Q_UNUSED(pressed);
    ovelin::printLine(
        QStringLiteral("⚠️ Este desktop não deixa o Ovelin registrar atalhos: associe \"") +
        toggleCommand() + QStringLiteral("\" a uma tecla nas configurações do desktop"));
}
