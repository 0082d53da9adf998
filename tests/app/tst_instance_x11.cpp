#include <algorithm>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QGuiApplication>
#include <QLockFile>

#include "OvelinProcesses.h"
#include "TestMain.h"

using namespace ovelin::test;

// The real executable: one per user, commands from later starts and over the bus.
class TestInstanceX11 : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    QString m_busAddress;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        m_busAddress = m_bus.start();
        QVERIFY2(!m_busAddress.isEmpty(), "could not start dbus-daemon");
    }

    void laterStartsAndBusCallsReachTheRunningOne()
    {
        Home home(m_busAddress);
        QProcess* ovelin = home.start();
        QVERIFY(waitForLine(ovelin, watching));

        // (A later start without a command opens the running one's preferences: the five starts.)
        xdotool({u"mousemove"_s, u"500"_s, u"400"_s});
        QCOMPARE(home.run({u"--show"_s}).exitCode, 0);
        QVERIFY(waitFor([] { return !visiblePanel().isEmpty(); }));
        QCOMPARE(geometryOf(visiblePanel()).topLeft(), QPoint(510, 410));
        QCOMPARE(home.run({u"--toggle"_s}).exitCode, 0);
        QVERIFY(waitFor([] { return visiblePanel().isEmpty(); }));
        QCOMPARE(home.run({u"--toggle"_s}).exitCode, 0);
        QVERIFY(waitFor([] { return !visiblePanel().isEmpty(); }));

        // Calls sent back to back, while the panel is still coming and going, are taken in order:
        // of three toggles from open the last one hides it, and the preferences open after that.
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, u"instance-test"_s);
        QVERIFY(bus.isConnected());
        QList<QDBusPendingCall> calls;
        for (const QString& method : {u"Toggle"_s, u"Toggle"_s, u"Toggle"_s, u"ShowPreferences"_s}) {
            calls.append(bus.asyncCall(QDBusMessage::createMethodCall(
                u"app.ovelin.Ovelin"_s, u"/app/ovelin/Ovelin"_s, u"app.ovelin.Ovelin"_s, method)));
        }
        for (QDBusPendingCall& call : calls) {
            call.waitForFinished();
            QVERIFY2(!call.isError(), qPrintable(call.error().message()));
        }
        QVERIFY(waitForLine(ovelin, preferencesOpened));
        const QString output = outputOf(ovelin);
        QVERIFY(output.lastIndexOf(u"🔴 Janela oculta"_s) < output.lastIndexOf(preferencesOpened));
        QDBusConnection::disconnectFromBus(u"instance-test"_s);

        // The pause travels with its minutes; both are answered by the running Ovelin.
        QCOMPARE(home.run({u"--pause"_s, u"15"_s}).exitCode, 0);
        QCOMPARE(home.run({u"--resume"_s}).exitCode, 0);

        // --quit ends the running one (that it saves what it captured first is tst_wayland_app's).
        QCOMPARE(home.run({u"--quit"_s}).exitCode, 0);
        QVERIFY(ovelin->waitForFinished(10000));
        QCOMPARE(ovelin->exitStatus(), QProcess::NormalExit);
        QCOMPARE(ovelin->exitCode(), 0);

        const Finished quitAgain = home.run({u"--quit"_s});
        QCOMPARE(quitAgain.exitCode, 0);
        QVERIFY2(quitAgain.output.contains(u"Ovelin is not running."_s), qPrintable(quitAgain.output));
        QVERIFY(!QFile::exists(home.dataFolder() + u"/ovelin.lock"_s));
    }

    void fiveSimultaneousStartsLeaveOneAndAKilledOneDoesNotBlockTheNext()
    {
        Home home(m_busAddress);
        QList<QProcess*> starts;
        for (int i = 0; i < 5; ++i)
            starts.append(home.start());
        const auto isRunning = [](QProcess* start) { return start->state() != QProcess::NotRunning; };
        QVERIFY(waitFor([&] { return std::count_if(starts.cbegin(), starts.cend(), isRunning) == 1; }, 30000));
        QProcess* survivor = *std::find_if(starts.cbegin(), starts.cend(), isRunning);
        for (QProcess* start : starts)
            QVERIFY(start == survivor || start->exitCode() == 0);
        QVERIFY(waitForLine(survivor, watching));
        // The four others were handed over as plain starts.
        QVERIFY(waitForLine(survivor, preferencesOpened, 4));

        survivor->kill();
        survivor->waitForFinished();
        QProcess* next = home.start();
        QVERIFY(waitForLine(next, watching));
        QCOMPARE(home.run({u"--preferences"_s}).exitCode, 0);
        QVERIFY(waitForLine(next, preferencesOpened));
    }

    // Regression: a start that waited for a holder which then ended ran Ovelin on a bus
    // connection left from its waiting, and never answered a later start.
    void aStartWhoseHolderEndsWhileItWaitsRunsAndAnswers()
    {
        Home home(m_busAddress);
        QDir().mkpath(home.dataFolder());
        QLockFile holder(home.dataFolder() + u"/ovelin.lock"_s); // alive, but never on the bus
        QVERIFY(holder.tryLock());
        QProcess* ovelin = home.start({u"--show"_s});
        QVERIFY(ovelin->waitForStarted());
        QVERIFY(waitForLine(ovelin, u"but not answering yet; waiting for it."_s));
        holder.unlock();

        QVERIFY(waitForLine(ovelin, watching));
        QCOMPARE(home.run({u"--preferences"_s}).exitCode, 0);
        QVERIFY(waitForLine(ovelin, preferencesOpened));
    }

    void withoutASessionBusASecondStartSaysWhoRunsAndWritesNothing()
    {
        Home home(m_busAddress);
        QProcessEnvironment noBus = home.environment();
        noBus.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/ovelin-test-bus"_s);
        QProcess* ovelin = home.start({}, noBus);
        QVERIFY(waitForLine(ovelin, watching));
        const QStringList before = QDir(home.dataFolder()).entryList(QDir::Files | QDir::Hidden);

        // Unset, and with no display for libdbus to start a bus on: no bus at all.
        noBus.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        noBus.remove(u"DISPLAY"_s);
        const Finished second = home.run({u"--toggle"_s}, noBus);
        QCOMPARE(second.exitCode, 1);
        const QString pid = QString::number(ovelin->processId());
        QVERIFY2(second.output.contains(u"Ovelin is already running (pid "_s + pid + u')'),
                 qPrintable(second.output));
        QCOMPARE(QDir(home.dataFolder()).entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(ovelin->state(), QProcess::Running);
    }
};

OVELIN_TEST_MAIN(TestInstanceX11)
#include "tst_instance_x11.moc"
