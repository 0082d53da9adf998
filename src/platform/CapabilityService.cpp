#include "platform/CapabilityService.h"

#include <QStringList>

namespace {

QString nameOf(SessionCapability::Kind kind)
{
    switch (kind) {
    case SessionCapability::Kind::ClipboardAccess:
        return QStringLiteral("área de transferência");
    case SessionCapability::Kind::Paste:
        return QStringLiteral("colar");
    case SessionCapability::Kind::FrontmostApplication:
        return QStringLiteral("app em frente");
    case SessionCapability::Kind::Shortcut:
        return QStringLiteral("atalho");
    case SessionCapability::Kind::Placement:
        return QStringLiteral("posição do painel");
    case SessionCapability::Kind::PointerMotion:
        return QStringLiteral("sacudida do mouse");
    case SessionCapability::Kind::ShellExtension:
        return QStringLiteral("extensão do GNOME Shell");
    }
    return {};
}

} // namespace

QString CapabilityService::startLine(const QString& backend, const QList<SessionCapability>& capabilities)
{
    QStringList parts;
    for (const SessionCapability& capability : capabilities) {
        QString part =
            nameOf(capability.kind) + (capability.found ? QStringLiteral(" ✅") : QStringLiteral(" ❌"));
        if (!capability.how.isEmpty())
            part += u' ' + capability.how;
        parts.append(part);
    }
    QString line = QStringLiteral("🖥️ Plataforma ") + backend;
    if (!parts.isEmpty())
        line += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    return line;
}
