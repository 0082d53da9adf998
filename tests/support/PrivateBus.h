#pragma once

// Needs OVELIN_TEST_BUS_CONFIG: the test's CMake target calls ovelin_test_private_bus().

#include <QProcess>
#include <QTest>

namespace ovelin::test {

/// A session bus of the test's own, so the Ovelins and services a test starts never meet the
/// developer's: its dbus-daemon activates nothing of the machine's (no desktop portal, no keyring).
class PrivateBus
{
public:
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    /// Starts the daemon; its address, or empty when it could not.
    QString start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=" OVELIN_TEST_BUS_CONFIG), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted() || !QTest::qWaitFor([this] { return m_daemon.canReadLine(); }, 10000))
            return {};
        return QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

private:
    QProcess m_daemon;
};

} // namespace ovelin::test
