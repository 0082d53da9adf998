#include <QGuiApplication>

#include "OvelinProcesses.h"
#include "TestMain.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"

using namespace ovelin::test;

namespace {

// trayer: a small panel whose tray embeds icons the XEmbed way, as desktops without a
// StatusNotifier host do.
class Tray
{
public:
    ~Tray() { stop(); }
    bool start()
    {
        m_process.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s,
                                      u"request"_s, u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s});
        return m_process.waitForStarted();
    }
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

QString trayIcon()
{
    return visibleOvelinWindow([](const QRect& geometry) {
        return geometry.width() > 1 && geometry.width() <= 64 && geometry.height() <= 64;
    });
}

QString menuWindow()
{
    return visibleOvelinWindow([](const QRect& geometry) {
        return geometry.width() >= 200 && geometry.width() < 400 && geometry.height() < 300;
    });
}

void clickAt(const QPoint& point)
{
    xdotool({u"mousemove"_s, QString::number(point.x()), QString::number(point.y()), u"click"_s, u"1"_s});
}

} // namespace

// The status icon in a real tray host, and what its menu's rows do in the real executable.
class TestTrayX11 : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    QString m_busAddress;

    // Opens the menu from the icon and clicks its row `item`. The rows sit where this process's
    // own copy of the menu window puts them: same code, same fonts.
    bool clickMenuRow(MenuBarContent::Item item)
    {
        const QString icon = trayIcon();
        if (icon.isEmpty())
            return false;
        clickAt(geometryOf(icon).center());
        if (!waitFor([] { return !menuWindow().isEmpty(); }))
            return false;
        MenuBarWindow reference;
        reference.setAttribute(Qt::WA_DontShowOnScreen); // laid out, never mapped
        reference.adjustSize();
        reference.show();
        const QWidget* row = reference.content()->items().at(item);
        const QPoint inRow = row->mapTo(&reference, QPoint(30, row->height() / 2));
        reference.hide();
        clickAt(geometryOf(menuWindow()).topLeft() + inRow);
        return waitFor([] { return menuWindow().isEmpty(); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        // Also keeps the tray to XEmbed: this bus has no StatusNotifier host.
        m_busAddress = m_bus.start();
        QVERIFY2(!m_busAddress.isEmpty(), "could not start dbus-daemon");
    }

    void eachRowOfTheTrayMenuDoesItsJob()
    {
        Tray tray;
        QVERIFY2(tray.start(), "trayer is missing");
        Home home(m_busAddress);
        QProcess* ovelin = home.start();
        QVERIFY(waitForLine(ovelin, watching));
        QVERIFY(waitFor([] { return !trayIcon().isEmpty(); }, 15000));

        QVERIFY(clickMenuRow(MenuBarContent::ShowItem));
        QVERIFY(waitFor([] { return !visiblePanel().isEmpty(); }));
        QVERIFY(waitForLine(ovelin, u"📍 Janela posicionada com base no cursor."_s));

        QVERIFY(clickMenuRow(MenuBarContent::PreferencesItem));
        QVERIFY(waitForLine(ovelin, preferencesOpened));
        QVERIFY(waitFor([] { return !xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Preferences$"_s})
                                         .trimmed()
                                         .isEmpty(); }));

        QVERIFY(clickMenuRow(MenuBarContent::QuitItem));
        QVERIFY(ovelin->waitForFinished(15000));
        QCOMPARE(ovelin->exitStatus(), QProcess::NormalExit);
        QCOMPARE(ovelin->exitCode(), 0);
    }

    void theIconAppearsWhenTheTrayStartsAfterOvelin()
    {
        Home home(m_busAddress);
        QProcess* ovelin = home.start();
        QVERIFY(waitForLine(ovelin, u"⚠️ Nenhuma bandeja do sistema disponível"_s));
        QVERIFY(waitForLine(ovelin, watching));
        Tray tray;
        QVERIFY2(tray.start(), "trayer is missing");
        QVERIFY(waitFor([] { return !trayIcon().isEmpty(); }, 15000));
        clickAt(geometryOf(trayIcon()).center());
        QVERIFY(waitFor([] { return !menuWindow().isEmpty(); }));
    }
};

OVELIN_TEST_MAIN(TestTrayX11)
#include "tst_tray_x11.moc"
