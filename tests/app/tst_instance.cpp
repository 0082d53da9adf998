#include <climits>
#include <memory>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "PrivateBus.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "app/CommandLine.h"
#include "app/InstanceAdaptor.h"
#include "app/InstanceBus.h"
#include "app/InstanceGuard.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(InstanceCommand)

namespace {

// The running Ovelin's side of the bus, in memory: records what reaches it.
class FakeBus : public InstanceBus
{
public:
    int answersAfterPolls = 0;
    QList<InstanceCommand> received;

    bool isConnected() override { return true; }
    bool isAnswering() override { return answersAfterPolls-- <= 0; }
    bool send(InstanceCommand command) override
    {
        received.append(command);
        return true;
    }
};

// The running Ovelin's object on the session bus, keeping what reaches it.
struct Received
{
    QList<InstanceCommand> commands;
    QList<int> pauseMinutes;
    QObject object;
    Received()
    {
        auto* adaptor = new InstanceAdaptor(&object, [this](InstanceCommand c) { commands.append(c); });
        adaptor->setPauseHandler([this](int minutes) { pauseMinutes.append(minutes); });
    }
};

QDBusPendingCall call(QDBusConnection& connection, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(InstanceDBus::service), QString::fromLatin1(InstanceDBus::path),
        QString::fromLatin1(InstanceDBus::interface), method);
    message.setArguments(arguments);
    return connection.asyncCall(message);
}

} // namespace

class TestInstance : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeBus m_bus;
    // The session bus of the adaptor's cases.
    ovelin::test::PrivateBus m_busDaemon;
    QString m_busAddress;

    void requireBus()
    {
        if (m_busAddress.isEmpty())
            QSKIP("dbus-daemon did not start");
    }

    QString lockPath() const { return m_dir->filePath(u"Ovelin/ovelin.lock"_s); }

    // The Ovelin that runs, holding the lock for as long as the returned guard lives.
    std::unique_ptr<InstanceGuard> runningOvelin()
    {
        static FakeBus unusedBus;
        auto guard = std::make_unique<InstanceGuard>(lockPath(), unusedBus);
        if (guard->claim(InstanceCommand::Run).outcome != InstanceGuard::Outcome::Run)
            return {};
        return guard;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_busAddress = m_busDaemon.start();
        // Before anything asks for the session bus, which is then this one for the process.
        if (!m_busAddress.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_busAddress.toUtf8());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_bus = FakeBus();
    }
    void cleanup()
    {
        if (m_busAddress.isEmpty())
            return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(InstanceDBus::path));
        bus.interface()->unregisterService(QString::fromLatin1(InstanceDBus::service));
        QDBusConnection::disconnectFromBus(u"other"_s);
    }

    void parsesTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<InstanceCommand>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");

        const InstanceCommand run = InstanceCommand::Run;
        // A plain start, --show, --toggle, --preferences and --quit are sent by tst_instance_x11 to
        // a running Ovelin, whose outcome shows each; the pause's minutes show only here.
        QTest::newRow("pause") << QStringList{u"--pause"_s, u"15"_s} << InstanceCommand::PauseCapture << -1
                               << QString();
        QTest::newRow("pause until resumed")
            << QStringList{u"--pause=0"_s} << InstanceCommand::PauseCapture << -1 << QString();
        QTest::newRow("resume") << QStringList{u"--resume"_s} << InstanceCommand::ResumeCapture << -1
                                << QString();
        QTest::newRow("pause without minutes") << QStringList{u"--pause"_s, u"-5"_s} << run << 2
                                               << u"--pause takes minutes, from 0 to 10080: -5"_s;
        QTest::newRow("pause and resume") << QStringList{u"--pause"_s, u"1"_s, u"--resume"_s} << run << 2
                                          << u"Only one of these can be given: --resume, --pause"_s;
        QTest::newRow("Qt's own options pass")
            << QStringList{u"-platform"_s, u"offscreen"_s, u"--toggle"_s, u"-reverse"_s}
            << InstanceCommand::Toggle << -1 << QString();
        QTest::newRow("version") << QStringList{u"--version"_s} << run << 0 << u"Ovelin 9.8.7\n"_s;
        QTest::newRow("help names the commands")
            << QStringList{u"--help"_s} << run << 0 << u"Usage: ovelin [options]"_s;
        QTest::newRow("unknown option")
            << QStringList{u"--frobnicate"_s} << run << 2 << u"Unknown option 'frobnicate'."_s;
        QTest::newRow("stray argument")
            << QStringList{u"history.json"_s} << run << 2 << u"Unexpected argument: history.json"_s;
        QTest::newRow("two commands") << QStringList{u"--show"_s, u"--quit"_s} << run << 2
                                      << u"Only one of these can be given: --show, --quit"_s;
    }
    void parsesTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(InstanceCommand, command);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);

        const CommandLine parsed =
            CommandLine::parse(QStringList{u"/usr/bin/ovelin"_s} + arguments, u"9.8.7"_s);
        QCOMPARE(parsed.finished, exitCode >= 0);
        if (!parsed.finished) {
            QCOMPARE(parsed.command, command);
            const QString minutes = arguments.value(1, arguments.value(0).section(u'=', 1));
            QCOMPARE(parsed.pauseMinutes, command == InstanceCommand::PauseCapture ? minutes.toInt() : 0);
            return;
        }
        QCOMPARE(parsed.exitCode, exitCode);
        QVERIFY2(parsed.output.startsWith(printed), qPrintable(parsed.output));
        // A mistake shows the usage too; help lists every command and hides Qt's options.
        if (exitCode != 0 || arguments == QStringList{u"--help"_s}) {
            for (const QString& option :
                 {u"--toggle"_s, u"--show"_s, u"--preferences"_s, u"--quit"_s, u"--pause"_s, u"--resume"_s})
                QVERIFY2(parsed.output.contains(option), qPrintable(parsed.output));
            QVERIFY(!parsed.output.contains(u"platform"_s));
        }
    }

    void aRunningOneThatNeverAnswersIsReportedAsAFailure()
    {
        const auto running = runningOvelin();
        m_bus.answersAfterPolls = 1'000'000;
        InstanceGuard second(lockPath(), m_bus);
        second.setTimeouts(200ms, 200ms);
        ovelin::test::PrintedLines printed;
        const InstanceGuard::Result result = second.claim(InstanceCommand::Show);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.message.contains(u"does not answer"_s), qPrintable(result.message));
        // One line while it waits, however many times it asks.
        QCOMPARE(printed.lines().filter(u"not answering yet; waiting for it."_s).size(), 1);
    }

    // A quit that the running one takes and then ends is tst_instance_x11's; one that hangs fails.
    void quitFailsWhenTheRunningOneDoesNotEnd()
    {
        const auto running = runningOvelin();
        InstanceGuard second(lockPath(), m_bus);
        second.setTimeouts(60s, 200ms);
        const InstanceGuard::Result result = second.claim(InstanceCommand::Quit);
        QCOMPARE(m_bus.received, QList<InstanceCommand>{InstanceCommand::Quit});
        QCOMPARE(result.exitCode, 1);
    }

    void theDataFolderIsCreatedForItsOwnerAlone()
    {
        QVERIFY(runningOvelin());
        const QFile::Permissions permissions = QFile::permissions(m_dir->filePath(u"Ovelin"_s));
        QCOMPARE(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther),
                 QFile::Permissions());
    }

    // On a home shared between machines a lock may come from an Ovelin on another host, which
    // nothing here can check or reach: the start says so at once instead of waiting for it.
    void aLockFromAnotherHostIsNamedNotWaitedFor_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<bool>("runs");
        const QByteArray here = QSysInfo::machineHostName().toUtf8();
        const QByteArray machine = QSysInfo::machineUniqueId();
        QTest::newRow("another host") << QByteArray("4242\novelin\nfaraway-host\n") << false;
        QTest::newRow("another host's machine id")
            << QByteArray("4242\novelin\nfaraway-host\n0123456789abcdef0123456789abcdef\nboot\n") << false;
        // No process has this pid: the lock of an Ovelin that crashed here is taken over.
        QTest::newRow("this host, its Ovelin crashed")
            << QByteArray("2147483646\novelin\n" + here + "\n" + machine + "\n") << true;
    }
    void aLockFromAnotherHostIsNamedNotWaitedFor()
    {
        QFETCH(QByteArray, lock);
        QFETCH(bool, runs);
        QVERIFY(QDir().mkpath(m_dir->filePath(u"Ovelin"_s)));
        QVERIFY(ovelin::test::writeFile(lockPath(), lock));

        InstanceGuard guard(lockPath(), m_bus);
        ovelin::test::PrintedLines printed;
        const InstanceGuard::Result result = guard.claim(InstanceCommand::Toggle);
        QCOMPARE(printed.lines(), QStringList());
        if (runs) {
            QCOMPARE(result.outcome, InstanceGuard::Outcome::Run);
            return;
        }
        QCOMPARE(result.outcome, InstanceGuard::Outcome::Exit);
        QCOMPARE(result.exitCode, 1);
        QVERIFY(m_bus.received.isEmpty());
        QVERIFY2(result.message.startsWith(u"🔒 "_s) &&
                     result.message.contains(u"“faraway-host” (pid 4242)"_s) &&
                     result.message.contains(lockPath()) && !result.message.contains(u'\n'),
                 qPrintable(result.message));
    }

    void pauseOverTheBusTakesTheCommandLinesRange_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("until resumed") << 0 << true;
        QTest::newRow("a week") << CommandLine::longestPauseMinutes << true;
        QTest::newRow("a week and a minute") << CommandLine::longestPauseMinutes + 1 << false;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("INT_MAX") << INT_MAX << false;
    }
    void pauseOverTheBusTakesTheCommandLinesRange()
    {
        requireBus();
        QFETCH(int, minutes);
        QFETCH(bool, accepted);
        Received received;
        QCOMPARE(InstanceAdaptor::publish(&received.object), InstanceAdaptor::Publication::Published);

        QDBusConnection caller = QDBusConnection::connectToBus(m_busAddress, u"other"_s);
        const QDBusPendingCall pause = call(caller, u"Pause"_s, {minutes});
        QTRY_VERIFY_WITH_TIMEOUT(pause.isFinished(), 15000);
        if (accepted) {
            QVERIFY2(!pause.isError(), qPrintable(pause.error().message()));
            QCOMPARE(received.pauseMinutes, QList<int>{minutes});
            QCOMPARE(received.commands, QList<InstanceCommand>{InstanceCommand::PauseCapture});
        } else {
            QCOMPARE(pause.error().type(), QDBusError::InvalidArgs);
            QVERIFY(received.pauseMinutes.isEmpty());
            QVERIFY(received.commands.isEmpty());
        }
    }

    // An Ovelin that is ending lets go of its lock before its name on the bus: the next one waits
    // for the name, and says so when it does not come.
    void theNameOfAnEndingOvelinIsWaitedFor_data()
    {
        QTest::addColumn<bool>("letsGoInTime");
        QTest::newRow("the holder ends") << true;
        QTest::newRow("the holder stays") << false;
    }
    void theNameOfAnEndingOvelinIsWaitedFor()
    {
        requireBus();
        QFETCH(bool, letsGoInTime);
        const QString name = QString::fromLatin1(InstanceDBus::service);
        QDBusConnection holder = QDBusConnection::connectToBus(m_busAddress, u"other"_s);
        QVERIFY(holder.registerService(name));

        Received received;
        ovelin::test::PrintedLines printed;
        QCOMPARE(InstanceAdaptor::publish(&received.object, letsGoInTime ? 5min : 1ms),
                 InstanceAdaptor::Publication::Waiting);
        QCOMPARE(printed.count(u"⏳ "_s), 1);
        if (!letsGoInTime) {
            QTRY_COMPARE_WITH_TIMEOUT(
                printed.count(
                    u"⚠️ Comandos de outras execuções não chegarão a este Ovelin: o nome "_s),
                1, 15000);
        }

        QVERIFY(holder.unregisterService(name));
        const QDBusPendingCall toggle = call(holder, u"Toggle"_s);
        QTRY_VERIFY_WITH_TIMEOUT(toggle.isFinished(), 15000);
        QVERIFY2(!toggle.isError(), qPrintable(toggle.error().message()));
        QCOMPARE(received.commands, QList<InstanceCommand>{InstanceCommand::Toggle});
        // A name that comes after all is announced, as its absence was.
        if (!letsGoInTime)
            QTRY_COMPARE_WITH_TIMEOUT(printed.count(u"✅ Nome app.ovelin.Ovelin obtido"_s), 1, 15000);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
