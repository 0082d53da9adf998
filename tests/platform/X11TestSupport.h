#pragma once

// Helpers of the tests that run against a real X server.

#include <memory>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"

namespace ovelin::test {

inline bool onX11()
{
    return QGuiApplication::platformName() == u"xcb";
}

/// Runs another program that takes part in a test; ends it when the object goes.
class Helper
{
public:
    Helper(const QString& program, const QStringList& args)
    {
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }
    ~Helper()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool started() { return m_process.waitForStarted(5000); }
    /// Waits, running the event loop (the test process may have to answer clipboard requests),
    /// until the program printed "ready".
    bool waitReady(int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (m_process.canReadLine() && m_process.readLine().trimmed() == "ready")
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(10);
        }
        return false;
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

/// xclip, in the foreground, holding the clipboard with one representation.
inline std::unique_ptr<Helper> copyWithXclip(const QTemporaryDir& dir, const QString& target,
                                             const QByteArray& bytes)
{
    static int counter = 0;
    const QString path = dir.filePath(QStringLiteral("xclip-%1").arg(++counter));
    if (!writeFile(path, bytes))
        return nullptr;
    QStringList args{QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")};
    if (!target.isEmpty())
        args << QStringLiteral("-t") << target;
    args << QStringLiteral("-i") << path;
    auto helper = std::make_unique<Helper>(QStringLiteral("xclip"), args);
    return helper->started() ? std::move(helper) : nullptr;
}

} // namespace ovelin::test
