#include <memory>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "TestMain.h"
#include "app/CommandLine.h"
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

} // namespace

class TestInstance : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeBus m_bus;

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
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_bus = FakeBus();
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
};

OVELIN_TEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
