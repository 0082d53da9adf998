#include <csignal>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinProcesses.h"
#include "TestFiles.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

// An X server of the test's own, so that the test can end it.
class PrivateXServer
{
public:
    bool start()
    {
        m_process.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s});
        if (!m_process.waitForStarted(5000))
            return false;
        // Xvfb writes the number of the display it took once it accepts clients.
        QByteArray number;
        while (!number.endsWith('\n') && m_process.waitForReadyRead(15000))
            number += m_process.readAllStandardOutput();
        m_display = u':' + QString::fromLatin1(number.trimmed());
        return number.endsWith('\n');
    }
    void stop()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    ~PrivateXServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void endingKeepsTheCopy_data()
    {
        QTest::addColumn<int>("signal"); // 0: the X server ends
        QTest::addColumn<bool>("unwritableSettings");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false;
        QTest::newRow("SIGTERM, config and cache folders cannot be created") << int(SIGTERM) << true;
        QTest::newRow("display lost") << 0 << false;
    }
    void endingKeepsTheCopy()
    {
        QFETCH(int, signal);
        QFETCH(bool, unwritableSettings);
        PrivateXServer server;
        if (!server.start())
            QSKIP("Xvfb is not available");

        ovelin::test::PrivateBus bus;
        ovelin::test::Home home(bus.start());
        QProcessEnvironment environment = home.environment();
        if (unwritableSettings) {
            // A plain file where folders should be: nothing, not even root, can create them.
            const QString blocker = home.path() + u"/blocker"_s;
            QVERIFY(ovelin::test::writeFile(blocker, {}));
            environment.insert(u"XDG_CONFIG_HOME"_s, blocker + u"/config"_s);
            environment.insert(u"XDG_CACHE_HOME"_s, blocker + u"/cache"_s);
        }
        const QString runtime = home.path() + u"/runtime"_s;
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        environment.insert(u"DISPLAY"_s, server.display());

        QProcess* ovelin = home.start({}, environment);
        QVERIFY(ovelin::test::waitForLine(ovelin, ovelin::test::watching, 1, 30000));
        const QByteArray copied = "copied before the end " + QByteArray::number(signal);
        QProcess copier; // owns the clipboard until the end of the test
        copier.setProcessEnvironment(environment);
        copier.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        QVERIFY(copier.waitForStarted());
        copier.write(copied);
        copier.closeWriteChannel();
        QVERIFY2(ovelin::test::waitForLine(ovelin, u"✅ Histórico atualizado"_s, 1, 30000),
                 qPrintable(ovelin::test::outputOf(ovelin)));

        if (signal)
            ::kill(pid_t(ovelin->processId()), signal);
        else
            server.stop();
        QVERIFY(ovelin->waitForFinished(30000));
        copier.kill();
        copier.waitForFinished();

        QCOMPARE(ovelin->exitStatus(), QProcess::NormalExit);
        QVERIFY(ovelin::test::readFile(home.dataFolder() + u"/clipboard_history.json"_s).contains(copied));
        if (signal) {
            QCOMPARE(ovelin->exitCode(), 0);
            if (!unwritableSettings)
                QVERIFY(QFile::exists(home.path() + u"/cache/Ovelin/telemetrysignalcache"_s));
        } else {
            QCOMPARE(ovelin->exitCode(), 1);
            QVERIFY(
                ovelin::test::outputOf(ovelin).contains(u"❌ Conexão com o servidor X perdida, encerrando"_s));
        }
    }
};

OVELIN_TEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
