#include <QGuiApplication>

#include "TestMain.h"
#include "TrayHost.h"

using namespace ovelin::test;

// The status icon in a real tray host, and what its menu's rows do in the real executable.
class TestTrayX11 : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    QString m_busAddress;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        // Also keeps the tray to XEmbed: this bus has no StatusNotifier host.
        m_busAddress = m_bus.start();
        QVERIFY2(!m_busAddress.isEmpty(), "could not start dbus-daemon");
    }

    // The icon docks into a tray that starts after Ovelin (into one that was there before: the
    // telemetry end-to-end test), and each row of its menu does its job.
    void theIconDocksIntoALaterTrayAndEachRowDoesItsJob()
    {
        Home home(m_busAddress);
        QProcess* ovelin = home.start();
        QVERIFY(waitForLine(ovelin, u"⚠️ Nenhuma bandeja do sistema disponível"_s));
        QVERIFY(waitForLine(ovelin, watching));
        TrayHost tray;
        QVERIFY2(tray.start(), "trayer is missing");
        QVERIFY(waitFor([] { return !trayIcon().isEmpty(); }, 15000));

        QVERIFY(clickTrayMenuRow(MenuBarContent::ShowItem));
        QVERIFY(waitFor([] { return !visiblePanel().isEmpty(); }));
        QVERIFY(waitForLine(ovelin, u"📍 Janela posicionada com base no cursor."_s));

        QVERIFY(clickTrayMenuRow(MenuBarContent::PreferencesItem));
        QVERIFY(waitForLine(ovelin, preferencesOpened));
        QVERIFY(waitFor([] {
            return !xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Preferences$"_s})
                        .trimmed()
                        .isEmpty();
        }));

        QVERIFY(clickTrayMenuRow(MenuBarContent::QuitItem));
        QVERIFY(ovelin->waitForFinished(15000));
        QCOMPARE(ovelin->exitStatus(), QProcess::NormalExit);
        QCOMPARE(ovelin->exitCode(), 0);
    }
};

OVELIN_TEST_MAIN(TestTrayX11)
#include "tst_tray_x11.moc"
