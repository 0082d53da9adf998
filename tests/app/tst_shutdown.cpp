#include <csignal>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinEnvironment.h"
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

class Ovelin
{
public:
    QString output;

    Ovelin(const QString& home, const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(home);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { output += QString::fromUtf8(m_process.readAllStandardOutput()); });
        m_process.start(QStringLiteral(OVELIN_EXECUTABLE), {});
    }
    ~Ovelin()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool waitForLine(const QString& text)
    {
        return QTest::qWaitFor(
                   [&] { return output.contains(text) || m_process.state() == QProcess::NotRunning; },
                   30000) &&
               output.contains(text);
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    bool waitForEnd() { return m_process.waitForFinished(30000); }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = ovelin::test::ovelinEnvironment(home.path());
        if (unwritableSettings) {
            // A plain file where folders should be: nothing, not even root, can create them.
            const QString blocker = home.filePath(u"blocker"_s);
            QVERIFY(ovelin::test::writeFile(blocker, {}));
            environment.insert(u"XDG_CONFIG_HOME"_s, blocker + u"/config"_s);
            environment.insert(u"XDG_CACHE_HOME"_s, blocker + u"/cache"_s);
        }
        QDir(home.path()).mkpath(u"runtime"_s);
        QFile::setPermissions(home.filePath(u"runtime"_s),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        environment.insert(u"DISPLAY"_s, server.display());

        Ovelin ovelin(home.path(), environment);
        QVERIFY(ovelin.waitForLine(u"📋 Monitoramento da área de transferência iniciado!"_s));
        const QByteArray copied = "copied before the end " + QByteArray::number(signal);
        QProcess copier; // owns the clipboard until the end of the test
        copier.setProcessEnvironment(environment);
        copier.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        QVERIFY(copier.waitForStarted());
        copier.write(copied);
        copier.closeWriteChannel();
        QVERIFY2(ovelin.waitForLine(u"✅ Histórico atualizado"_s), qPrintable(ovelin.output));

        if (signal)
            ovelin.signal(signal);
        else
            server.stop();
        QVERIFY(ovelin.waitForEnd());
        copier.kill();
        copier.waitForFinished();

        QCOMPARE(ovelin.process().exitStatus(), QProcess::NormalExit);
        QVERIFY(readFile(home.filePath(u"data/Ovelin/clipboard_history.json"_s)).contains(copied));
        if (signal) {
            QCOMPARE(ovelin.process().exitCode(), 0);
            if (!unwritableSettings)
                QVERIFY(QFile::exists(home.filePath(u"cache/Ovelin/telemetrysignalcache"_s)));
        } else {
            QCOMPARE(ovelin.process().exitCode(), 1);
            QVERIFY(ovelin.output.contains(u"❌ Conexão com o servidor X perdida, encerrando"_s));
        }
    }
};

OVELIN_TEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
