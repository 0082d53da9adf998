#include "platform/wayland/SwayShortcutService.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "common/Console.h"
#include "platform/wayland/SwayIpcClient.h"

namespace {

// sway strips quotes and unescapes its arguments before the shell sees them, and replaces its
// own "$variables": such characters cannot be carried through both parsers safely.
bool quotable(const QString& value)
{
    for (const QChar character : value) {
        if (character == u'\'' || character == u'"' || character == u'\\' || character == u'$' ||
            character.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString singleQuoted(const QString& value)
{
    return u'\'' + value + u'\'';
}

} // namespace

SwayShortcutService::SwayShortcutService(SwayIpcClient* ipc, QObject* parent) : QObject(parent), m_ipc(ipc)
{
    connect(m_ipc, &SwayIpcClient::eventReceived, this, &SwayShortcutService::reloaded);
}

QString SwayShortcutService::comboText(const Combination& combination)
{
    QStringList parts;
    if (combination.control)
        parts << QStringLiteral("Ctrl");
    if (combination.alt)
        parts << QStringLiteral("Mod1");
    if (combination.shift)
        parts << QStringLiteral("Shift");
    if (combination.super)
        parts << QStringLiteral("Mod4");
    // Key names are xkb keysym names: lower-case letters, digits as they are.
    parts << QString(combination.key.toLower());
    return parts.join(u'+');
}

std::optional<QString> SwayShortcutService::toggleCommand(const QString& executable)
{
    QStringList words;
    for (const char* name : {"XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS"}) {
        if (!qEnvironmentVariableIsSet(name))
            continue;
        const QString value = qEnvironmentVariable(name);
        if (!quotable(value))
            return std::nullopt;
        words << QString::fromLatin1(name) + u'=' + singleQuoted(value);
    }
    if (executable.isEmpty() || !quotable(executable))
        return std::nullopt;
    words << singleQuoted(executable) << QStringLiteral("--toggle");
    return words.join(u' ');
}

QString SwayShortcutService::bindCommand(const QString& combo, const QString& command)
{
    // Double quotes keep sway from splitting the command at its "," and ";".
    return QStringLiteral("bindsym --no-repeat %1 \"exec %2\"").arg(combo, command);
}

void SwayShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    Q_UNUSED(pressed);
    unbind();
    const auto command = toggleCommand(QCoreApplication::applicationFilePath());
    if (!command) {
        ovelin::printLine(
            QStringLiteral("⚠️ Atalho não registrado no sway: o caminho do Ovelin ou o ambiente "
                           "contém aspas, barra invertida ou $"));
        return;
    }
    m_bound = comboText(combination);
    m_bindCommand = bindCommand(m_bound, *command);
    // Sent with each binding: sway keeps one subscription per connection, and a failed connection
    // is made anew without it.
    m_ipc->send(SwayIpcClient::Subscribe, QByteArrayLiteral("[\"workspace\"]"));
    sendBinding();
}

void SwayShortcutService::sendBinding()
{
    m_ipc->runCommand(m_bindCommand, [](const std::optional<QStringList>& errors) {
        if (!errors)
            ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no sway: sem resposta do IPC"));
        else if (!errors->isEmpty())
            ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no sway: ") +
                              errors->join(u"; "));
    });
}

void SwayShortcutService::reloaded(quint32 type, const QByteArray& payload)
{
    if (type != SwayIpcClient::workspaceEvent || m_bound.isEmpty())
        return;
    if (QJsonDocument::fromJson(payload).object().value(QStringLiteral("change")).toString() ==
        QStringLiteral("reload"))
        sendBinding();
}

QString SwayShortcutService::takeUnbindCommand()
{
    if (m_bound.isEmpty())
        return {};
    const QString command = QStringLiteral("unbindsym --no-repeat ") + m_bound;
    m_bound.clear();
    return command;
}

void SwayShortcutService::unbind()
{
    if (const QString command = takeUnbindCommand(); !command.isEmpty())
        m_ipc->runCommand(command);
}

void SwayShortcutService::unbindNow()
{
    if (const QString command = takeUnbindCommand(); !command.isEmpty())
        m_ipc->runCommandNow(command);
}
