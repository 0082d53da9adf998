#include "app/InstanceGuard.h"

#include <utility>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include "app/InstanceBus.h"
#include "common/Console.h"

namespace {

constexpr int pollIntervalMs = 50;

} // namespace

InstanceGuard::InstanceGuard(QString lockPath, InstanceBus& bus) : m_lock(lockPath), m_bus(bus)
{
    // A live holder keeps the file locked, so age is no sign of a stale lock: only a holder that
    // is gone is.
    m_lock.setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard() = default;

QString InstanceGuard::defaultLockPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Ovelin/ovelin.lock");
}

void InstanceGuard::setTimeouts(std::chrono::milliseconds answerTimeout,
                                std::chrono::milliseconds quitTimeout)
{
    m_answerTimeout = answerTimeout;
    m_quitTimeout = quitTimeout;
}

bool InstanceGuard::tryLock()
{
    const QString folder = QFileInfo(m_lock.fileName()).absolutePath();
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return m_lock.tryLock(0);
}

qint64 InstanceGuard::holderPid() const
{
    qint64 pid = 0;
    QString hostName;
    QString appName;
    return m_lock.getLockInfo(&pid, &hostName, &appName) ? pid : 0;
}

InstanceGuard::Result InstanceGuard::claim(InstanceCommand command)
{
    if (tryLock()) {
        if (command == InstanceCommand::Quit) {
            m_lock.unlock();
            return {Outcome::Exit, 0, QStringLiteral("Ovelin is not running.")};
        }
        return {Outcome::Run, 0, {}};
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return {
            Outcome::Exit, 1,
            QStringLiteral("Cannot create the lock file %1; is its folder writable?").arg(m_lock.fileName())};
    // On a home shared between machines the holder may run elsewhere: nothing here can tell
    // whether it still does, nor reach it over this session's bus.
    const QString host = otherHolderHost();
    if (!host.isEmpty())
        return {
            Outcome::Exit, 1,
            QStringLiteral("🔒 O Ovelin do computador “%1” (pid %2) detém o bloqueio; se ele não está mais "
                           "em execução lá, apague o arquivo %3 e inicie de novo.")
                .arg(host)
                .arg(holderPid())
                .arg(m_lock.fileName())};
    return forward(command);
}

QString InstanceGuard::otherHolderHost() const
{
    // QLockFile's own test for "this machine": the machine id when the file has one, else the name.
    QFile file(m_lock.fileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QString host = QString::fromUtf8(lines.value(2));
    const QByteArray machine = lines.value(3);
    const QByteArray ourMachine = QSysInfo::machineUniqueId();
    const bool here = !machine.isEmpty() && !ourMachine.isEmpty()
                          ? machine == ourMachine
                          : host.isEmpty() || host == QSysInfo::machineHostName();
    return here ? QString() : host.isEmpty() ? QString::fromLatin1(machine) : host;
}

InstanceGuard::Result InstanceGuard::forward(InstanceCommand command)
{
    const qint64 pid = holderPid();
    const QString running = pid > 0 ? QStringLiteral("Ovelin is already running (pid %1)").arg(pid)
                                    : QStringLiteral("Ovelin is already running");
    if (!m_bus.isConnected())
        return {Outcome::Exit, 1,
                running + QStringLiteral(", and without a session bus this start cannot reach it.")};

    // A plain second start opens the preferences: on a desktop without a tray that is the way in.
    const InstanceCommand forwarded =
        command == InstanceCommand::Run ? InstanceCommand::ShowPreferences : command;
    const QDeadlineTimer deadline(m_answerTimeout);
    bool saidWaiting = false;
    while (true) {
        if (m_bus.isAnswering() && m_bus.send(forwarded))
            break;
        // Say why this start seems to hang: the holder may still be starting, or stuck.
        if (!std::exchange(saidWaiting, true))
            ovelin::printLine(running + QStringLiteral(" but not answering yet; waiting for it."));
        // The holder may have ended meanwhile: then this start is to run Ovelin itself.
        if (tryLock()) {
            m_lock.unlock();
            if (command == InstanceCommand::Quit)
                return {Outcome::Exit, 0, QStringLiteral("Ovelin is not running.")};
            return {Outcome::StartOver, 0, {}};
        }
        if (deadline.hasExpired())
            return {Outcome::Exit, 1,
                    running + QStringLiteral(", but it does not answer on the session bus.")};
        QThread::msleep(pollIntervalMs);
    }
    if (command == InstanceCommand::Quit && !waitUntilReleased())
        return {Outcome::Exit, 1, running + QStringLiteral(" and has not ended yet.")};
    return {Outcome::Exit, 0, {}};
}

// `--quit` returns once the running Ovelin has saved and ended, so "ovelin --quit; ovelin" works.
bool InstanceGuard::waitUntilReleased()
{
    const QDeadlineTimer deadline(m_quitTimeout);
    while (!deadline.hasExpired()) {
        if (tryLock()) {
            m_lock.unlock();
            return true;
        }
        QThread::msleep(pollIntervalMs);
    }
    return false;
}
