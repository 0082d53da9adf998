#pragma once

#include <memory>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinEnvironment.h"

namespace ovelin::test {

/// One Ovelin started from `executable` in the background, in `home` (a fresh one of its own
/// when empty), its output gathered as it comes.
class RunningOvelin
{
public:
    RunningOvelin(const QString& executable, int timeoutMs, const QString& home = {})
        : m_executable(executable), m_timeoutMs(timeoutMs)
    {
        if (home.isEmpty())
            m_ownHome = std::make_unique<QTemporaryDir>();
        m_process.setProcessEnvironment(ovelinEnvironment(home.isEmpty() ? m_ownHome->path() : home));
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead,
                         [this] { m_output += QString::fromUtf8(m_process.readAll()); });
        m_process.start(executable, {});
    }
    ~RunningOvelin()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString home() const { return m_process.processEnvironment().value(QStringLiteral("HOME")); }
    QString output() const { return m_output; }
    bool waitForLine(const QString& text, qsizetype count = 1)
    {
        return QTest::qWaitFor(
                   [&] { return m_output.count(text) >= count || m_process.state() == QProcess::NotRunning; },
                   m_timeoutMs) &&
               m_output.count(text) >= count;
    }
    /// A second start with a command: it hands the command to this one and ends.
    int command(const QString& argument)
    {
        QProcess second;
        second.setProcessEnvironment(m_process.processEnvironment());
        second.start(m_executable, {argument});
        return second.waitForFinished(m_timeoutMs) ? second.exitCode() : -1;
    }
    bool quit() { return command(QStringLiteral("--quit")) == 0 && m_process.waitForFinished(m_timeoutMs); }

private:
    std::unique_ptr<QTemporaryDir> m_ownHome;
    QString m_executable;
    int m_timeoutMs;
    QProcess m_process;
    QString m_output;
};

} // namespace ovelin::test
