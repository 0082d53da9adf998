#pragma once

#include <memory>
#include <vector>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "panel/X11Session.h"

namespace ovelin::test {

/// The arguments of a dbus-daemon that runs a session bus of the test's own: it activates nothing
/// of the machine's (no desktop portal, no keyring), only what the test starts itself.
inline QStringList privateBusArguments()
{
    return {QStringLiteral("--config-file=" OVELIN_TEST_BUS_CONFIG), QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1")};
}

/// A session bus of the test's own, so the Ovelins a test starts never meet the developer's.
class PrivateBus
{
public:
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    /// Starts the daemon; empty when it could not.
    QString start()
    {
        m_daemon.start(u"dbus-daemon"_s, privateBusArguments());
        if (!m_daemon.waitForStarted() ||
            !waitFor([this] { return m_daemon.canReadLine() || m_daemon.waitForReadyRead(100); }, 10000))
            return {};
        return QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

private:
    QProcess m_daemon;
};

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
        QProcess process;
        process.setProcessEnvironment(environment.isEmpty() ? this->environment() : environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(OVELIN_EXECUTABLE), arguments);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAll())};
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

} // namespace ovelin::test
