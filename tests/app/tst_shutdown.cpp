#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
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
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    ~PrivateXServer() { stop(); }
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// Where Ovelin's standard output and error go.
enum Output
{
    Read,       // the test reads them
    ClosedPipe, // a pipe whose reader goes away once Ovelin watches the clipboard
    FullPipe,   // a pipe whose reader stops reading then, and that is filled to the brim
};

// A history file whose every save takes a while (pinned items, which no limit trims, with
// large rich text, which the panel does not show).
QByteArray largeHistory()
{
    const QByteArray rtf = QByteArray(5 * 1024 * 1024, 'r').toBase64();
    QByteArray json = "[";
    for (int i = 10; i < 30; ++i) {
        json += (i > 10 ? "," : "") + QByteArray(R"({"id":"11111111-2222-3333-4444-5555555555)") +
                QByteArray::number(i) +
                R"(","type":{"type":"text","value":"pinned"},"date":1,"isPinned":true,)" +
                R"("richTextRTF":")" + rtf + R"("})";
    }
    return json + "]";
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
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("twice"); // more of the signal, 20 ms apart, during a long save
        QTest::newRow("SIGTERM") << int(SIGTERM) << false << int(Read) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false << int(Read) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false << int(Read) << false;
        QTest::newRow("SIGTERM, config and cache folders cannot be created")
            << int(SIGTERM) << true << int(Read) << false;
        QTest::newRow("display lost") << 0 << false << int(Read) << false;
        QTest::newRow("SIGTERM again and again while the last save is written")
            << int(SIGTERM) << false << int(Read) << true;
        QTest::newRow("output into a pipe whose reader went away")
            << int(SIGTERM) << false << int(ClosedPipe) << false;
        QTest::newRow("output into a full pipe nobody reads")
            << int(SIGTERM) << false << int(FullPipe) << false;
    }
    void endingKeepsTheCopy()
    {
        QFETCH(int, signal);
        QFETCH(bool, unwritableSettings);
        QFETCH(int, output);
        QFETCH(bool, twice);
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

        if (twice) {
            QVERIFY(QDir().mkpath(home.dataFolder()));
            QVERIFY(
                ovelin::test::writeFile(home.dataFolder() + u"/clipboard_history.json"_s, largeHistory()));
        }

        QProcess reader; // of the piped output, until Ovelin watches the clipboard
        QProcess piped;
        QProcess* ovelin = &piped;
        if (output == Read) {
            ovelin = home.start({}, environment);
            QVERIFY(ovelin::test::waitForLine(ovelin, ovelin::test::watching, 1, 30000));
        } else {
            piped.setStandardOutputProcess(&reader);
            piped.setProcessChannelMode(QProcess::MergedChannels);
            piped.setProcessEnvironment(environment);
            piped.setWorkingDirectory(home.path());
            // Ends (0) or stops reading once the line has come by; 2: it never came.
            reader.start(
                u"sh"_s,
                {u"-c"_s,
                 u"grep -qF -- \"$0\" || exit 2; [ $1 = full ] || exit 0; echo seen; exec sleep 600"_s,
                 ovelin::test::watching, output == FullPipe ? u"full"_s : u"closed"_s});
            piped.start(QStringLiteral(OVELIN_EXECUTABLE));
            if (output == ClosedPipe) {
                QVERIFY(reader.waitForFinished(30000));
                QCOMPARE(reader.exitCode(), 0);
            } else {
                QVERIFY(ovelin::test::waitForLine(&reader, u"seen"_s, 1, 30000));
                // Filled through a description of the test's own, so that Ovelin's end stays blocking.
                const QByteArray readEnd = "/proc/" + QByteArray::number(reader.processId()) + "/fd/0";
                const int fd = ::open(readEnd.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                QVERIFY(fd >= 0);
                while (::write(fd, QByteArray(4096, 'x').constData(), 4096) > 0) {
                }
                QCOMPARE(errno, EAGAIN);
                ::close(fd);
            }
        }
        const QByteArray copied = "copied before the end " + QByteArray::number(signal);
        QProcess copier; // owns the clipboard until the end of the test
        copier.setProcessEnvironment(environment);
        copier.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        QVERIFY(copier.waitForStarted());
        copier.write(copied);
        copier.closeWriteChannel();
        const QString historyFile = home.dataFolder() + u"/clipboard_history.json"_s;
        if (output == Read)
            QVERIFY2(ovelin::test::waitForLine(ovelin, u"✅ Histórico atualizado"_s, 1, 30000),
                     qPrintable(ovelin::test::outputOf(ovelin)));
        else
            QVERIFY(ovelin::test::waitFor(
                [&] { return ovelin::test::readFile(historyFile).contains(copied); }, 30000));

        if (signal)
            ::kill(pid_t(ovelin->processId()), signal);
        else
            server.stop();
        // Signals keep coming, 20 ms apart, through the whole way out; the first one that meets
        // the default action ends the process at once.
        const QDeadlineTimer deadline(30000);
        while (twice && !ovelin->waitForFinished(20) && !deadline.hasExpired())
            ::kill(pid_t(ovelin->processId()), signal);
        QVERIFY(ovelin->state() == QProcess::NotRunning || ovelin->waitForFinished(30000));
        copier.kill();
        copier.waitForFinished();

        QVERIFY(ovelin::test::readFile(historyFile).contains(copied));
        // A later signal may end it once the save is done.
        if (twice)
            return;
        QCOMPARE(ovelin->exitStatus(), QProcess::NormalExit);
        if (signal) {
            QCOMPARE(ovelin->exitCode(), 0);
            if (!unwritableSettings && output == Read)
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
