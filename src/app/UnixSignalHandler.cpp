#include "app/UnixSignalHandler.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "common/Console.h"

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    // Only async-signal-safe calls here; errno belongs to whatever the signal interrupted.
    const int savedErrno = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

QString signalName(int number)
{
    switch (number) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    }
    return QString::number(number);
}

} // namespace

UnixSignalHandler::UnixSignalHandler(QObject* parent) : QObject(parent)
{
    if (signalPipe[0] >= 0)
        return; // another handler has the signals
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        ovelin::printLine(QStringLiteral("⚠️ Sinais de encerramento não serão tratados: ") +
                          QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    // A burst of signals must never block the handler.
    ::fcntl(signalPipe[1], F_SETFL, ::fcntl(signalPipe[1], F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnixSignalHandler::readSignal);

    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : quitSignals)
        ::sigaction(number, &action, nullptr);
}

UnixSignalHandler::~UnixSignalHandler()
{
    if (!m_notifier)
        return;
    for (const int number : quitSignals)
        ::signal(number, SIG_DFL);
    m_notifier.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void UnixSignalHandler::readSignal()
{
    char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    ovelin::printLine(QStringLiteral("🛑 Sinal %1 recebido, encerrando").arg(signalName(byte)));
    QCoreApplication::quit();
}
