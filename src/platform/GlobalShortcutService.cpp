#include "platform/GlobalShortcutService.h"

#include <QCoreApplication>

QString GlobalShortcutService::toggleCommand()
{
    return QCoreApplication::applicationFilePath() + QStringLiteral(" --toggle");
}
