#include "platform/wayland/SwayShortcutService.h"

#include <functional>
#include <map>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
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

// sway's modifier names (matched without regard to case), each as comboText() writes it.
QString modifierOf(const QString& word)
{
    static const std::pair<const char*, const char*> names[] = {
        {"shift", "Shift"}, {"lock", "Lock"}, {"control", "Ctrl"}, {"ctrl", "Ctrl"}, {"mod1", "Mod1"},
        {"alt", "Mod1"},    {"mod2", "Mod2"}, {"mod3", "Mod3"},    {"mod4", "Mod4"}, {"mod5", "Mod5"}};
    for (const auto& [name, canonical] : names) {
        if (word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QLatin1String(canonical);
    }
    return {};
}

// The keys of a combination: its modifiers and keysym names (sway looks names up ignoring case).
QSet<QString> comboKeys(const QString& combo)
{
    QSet<QString> keys;
    for (const QString& part : combo.split(u'+', Qt::SkipEmptyParts)) {
        const QString modifier = modifierOf(part);
        keys.insert(modifier.isEmpty() ? part.toLower() : modifier);
    }
    return keys;
}

// What sway does to a line before running it: each "$name" becomes the longest variable of
// that name that `set` defined.
QString replaceVariables(const QString& line, const std::map<QString, QString, std::greater<>>& variables)
{
    QString replaced;
    for (qsizetype i = 0; i < line.size();) {
        bool found = false;
        if (line.at(i) == u'$') {
            // Longer names sort first, as "greater" puts "$mod2" before "$mod".
            for (const auto& [name, value] : variables) {
                if (QStringView(line).mid(i).startsWith(name)) {
                    replaced += value;
                    i += name.size();
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            replaced += line.at(i++);
    }
    return replaced;
}

// A binding with one of these flags is another binding than a plain one on the same keys.
bool flagMakesOtherBinding(const QString& flag)
{
    for (const char* other : {"--release", "--locked", "--inhibited", "--border", "--whole-window",
                              "--exclude-titlebar", "--input-device="}) {
        if (flag.startsWith(QLatin1String(other)))
            return true;
    }
    return false;
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

bool SwayShortcutService::configBinds(const QString& config, const QString& combo)
{
    const QSet<QString> wanted = comboKeys(combo);
    std::map<QString, QString, std::greater<>> variables;
    // The blocks the line is in: "bindsym" (flags that make another binding: "other"), or
    // anything else (a mode, a bar, an input), whose bindings are not the default mode's.
    QStringList blocks;
    QString pending;
    for (const QString& raw : config.split(u'\n')) {
        QString line = raw.trimmed();
        if (line.endsWith(u'\\')) {
            pending += line.chopped(1) + u' ';
            continue;
        }
        line = QString(pending + line).trimmed();
        pending.clear();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'}')) {
            if (!blocks.isEmpty())
                blocks.removeLast();
            continue;
        }
        QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (words.size() >= 3 && words.at(0) == u"set" && words.at(1).startsWith(u'$')) {
            variables[words.at(1)] = replaceVariables(words.mid(2).join(u' '), variables);
            continue;
        }
        words = replaceVariables(line, variables).split(QRegularExpression(QStringLiteral("\\s+")));
        const bool opens = words.constLast() == u"{";
        if (opens)
            words.removeLast();
        if (words.isEmpty()) {
            blocks.append(QStringLiteral("other"));
            continue;
        }
        if (!blocks.isEmpty() && blocks.constLast() == u"bindsym" && !opens) {
            // Inside "bindsym [flags] {": each line is a combination and its command.
            if (comboKeys(words.constFirst()) == wanted)
                return true;
            continue;
        }
        if (!blocks.isEmpty()) {
            if (opens)
                blocks.append(QStringLiteral("other"));
            continue;
        }
        if (words.constFirst() != u"bindsym") {
            if (opens)
                blocks.append(QStringLiteral("other"));
            continue;
        }
        qsizetype at = 1;
        bool other = false;
        for (; at < words.size() && words.at(at).startsWith(u"--"); ++at)
            other = other || flagMakesOtherBinding(words.at(at));
        if (opens) {
            blocks.append(other ? QStringLiteral("other") : QStringLiteral("bindsym"));
            continue;
        }
        if (!other && at < words.size() && comboKeys(words.at(at)) == wanted)
            return true;
    }
    return false;
}

void SwayShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    Q_UNUSED(pressed);
    unbind();
    m_state = State::Waiting;
    const auto command = toggleCommand(QCoreApplication::applicationFilePath());
    if (!command) {
        m_state = State::Refused;
        ovelin::printLine(
            QStringLiteral("⚠️ Atalho não registrado no sway: o caminho do Ovelin ou o ambiente "
                           "contém aspas, barra invertida ou $"));
        return;
    }
    m_wanted = comboText(combination);
    m_bindCommand = bindCommand(m_wanted, *command);
    // Sent with each binding: sway keeps one subscription per connection, and a failed connection
    // is made anew without it.
    m_ipc->send(SwayIpcClient::Subscribe, QByteArrayLiteral("[\"workspace\"]"));
    sendBinding();
}

void SwayShortcutService::sendBinding()
{
    const QPointer<SwayShortcutService> self(this);
    const quint64 generation = m_generation;
    const auto current = [self, generation] { return self && self->m_generation == generation; };
    m_ipc->send(SwayIpcClient::GetConfig, {}, [this, current](const std::optional<QByteArray>& reply) {
        if (!current())
            return;
        if (!reply) {
            m_state = State::Refused;
            ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no sway: sem resposta do IPC"));
            return;
        }
        const QString config =
            QJsonDocument::fromJson(*reply).object().value(QStringLiteral("config")).toString();
        if (configBinds(config, m_wanted)) {
            m_state = State::KeysTaken;
            ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no sway: ") + m_wanted +
                              QStringLiteral(" já está associado na configuração do sway"));
            return;
        }
        m_bound = m_wanted;
        m_ipc->runCommand(m_bindCommand, [this, current](const std::optional<QStringList>& errors) {
            if (!errors)
                ovelin::printLine(
                    QStringLiteral("⚠️ Atalho não registrado no sway: sem resposta do IPC"));
            else if (!errors->isEmpty())
                ovelin::printLine(QStringLiteral("⚠️ Atalho não registrado no sway: ") +
                                  errors->join(u"; "));
            if (!current())
                return;
            m_state = errors && errors->isEmpty() ? State::Registered : State::Refused;
            if (m_state == State::Refused)
                m_bound.clear();
        });
    });
}

void SwayShortcutService::reloaded(quint32 type, const QByteArray& payload)
{
    if (type != SwayIpcClient::workspaceEvent || m_wanted.isEmpty())
        return;
    if (QJsonDocument::fromJson(payload).object().value(QStringLiteral("change")).toString() !=
        QStringLiteral("reload"))
        return;
    // The reload dropped Ovelin's binding; the configuration read anew may now use the keys.
    m_bound.clear();
    m_state = State::Waiting;
    sendBinding();
}

QString SwayShortcutService::takeUnbindCommand()
{
    ++m_generation;
    m_wanted.clear();
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
