#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "panel/X11Session.h"
#include "support/PrivateBus.h"

namespace ovelin::test {

struct Finished
{
    int exitCode = -1;
    QString output;
};

/// Ovelins started from the real executable in one clean HOME, on the given session bus.
class Home
{
public:
    explicit Home(QString busAddress) : m_busAddress(std::move(busAddress)) {}
    ~Home()
    {
        for (const auto& process : m_running) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    QString path() const { return m_dir.path(); }
    QString dataFolder() const { return m_dir.filePath(u"data/Ovelin"_s); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = ovelinEnvironment(m_dir.path());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_busAddress);
        return environment;
    }

    /// Starts one in the background; it is killed when the Home goes.
    QProcess* start(const QStringList& arguments = {}, const QProcessEnvironment& environment = {})
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment.isEmpty() ? this->environment() : environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        // Whatever it might write beside it lands in the throw-away HOME too.
        process->setWorkingDirectory(m_dir.path());
        process->start(QStringLiteral(OVELIN_EXECUTABLE), arguments);
        m_running.push_back(std::move(process));
        return m_running.back().get();
    }

    /// Starts one and waits for it to end.
    Finished run(const QStringList& arguments, const QProcessEnvironment& environment = {})
    {
        QProcess* process = start(arguments, environment);
        if (!process->waitForFinished(30000))
            return {};
        return {process->exitCode(), QString::fromUtf8(process->readAll())};
    }

private:
    QTemporaryDir m_dir;
    QString m_busAddress;
    std::vector<std::unique_ptr<QProcess>> m_running;
};

inline QString outputOf(QProcess* process)
{
    process->waitForReadyRead(0);
    return QString::fromUtf8(process->peek(1 << 20));
}

inline bool waitForLine(QProcess* process, const QString& line, int count = 1, int timeoutMs = 15000)
{
    return waitFor([&] { return outputOf(process).count(line) >= count; }, timeoutMs);
}

inline const QString watching = u"📋 Monitoramento da área de transferência iniciado!"_s;
inline const QString preferencesOpened = u"🧩 showPreferences() foi chamado"_s;

/// The first mapped window of Ovelin's whose geometry passes `matches`; empty when there is none.
inline QString visibleOvelinWindow(const std::function<bool(const QRect&)>& matches)
{
    for (const QString& window : xdotool({u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"^ovelin$"_s})
                                     .split(u'\n', Qt::SkipEmptyParts)) {
        if (matches(geometryOf(window)))
            return window;
    }
    return {};
}

/// The history panel, 400 points wide.
inline QString visiblePanel()
{
    return visibleOvelinWindow([](const QRect& geometry) { return geometry.width() == 400; });
}

/// The history panel (app id "ovelin", 400 wide) where the headless sway shows it, if it does;
/// with `focused`, only while it holds the keyboard.
inline std::optional<QRect> swayPanel(bool focused = false)
{
    const QString tree = tool(u"swaymsg"_s, {u"-t"_s, u"get_tree"_s});
    QList<QJsonObject> nodes{QJsonDocument::fromJson(tree.toUtf8()).object()};
    while (!nodes.isEmpty()) {
        const QJsonObject node = nodes.takeLast();
        const QJsonObject rect = node.value(u"rect"_s).toObject();
        if (node.value(u"app_id"_s).toString() == u"ovelin"_s && node.value(u"visible"_s).toBool() &&
            rect.value(u"width"_s).toInt() == 400 && (!focused || node.value(u"focused"_s).toBool()))
            return QRect(rect.value(u"x"_s).toInt(), rect.value(u"y"_s).toInt(), 400,
                         rect.value(u"height"_s).toInt());
        for (const char* children : {"nodes", "floating_nodes"}) {
            for (const QJsonValue& child : node.value(QLatin1String(children)).toArray())
                nodes.append(child.toObject());
        }
    }
    return std::nullopt;
}

} // namespace ovelin::test
