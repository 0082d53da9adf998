#include <QTest>

#include "ScopedEnvironment.h"
#include "TestMain.h"
#include "platform/x11/X11CapabilityService.h"

#include <X11/Xlib.h>

using namespace Qt::StringLiterals;

// Runs on the test bench's Xvfb, which is started with XTEST and XInput 2.
class X11CapabilitiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            QSKIP("needs an X server (DISPLAY is not set or does not answer)");
        XCloseDisplay(display);
    }

    void capabilities_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<bool>("synthesize");
        QTest::addColumn<bool>("monitor");
        const QByteArray display = qgetenv("DISPLAY");
        QTest::newRow("X11 session") << display << QByteArray("x11") << QByteArray() << true << true;
        QTest::newRow("Wayland session (XWayland)")
            << display << QByteArray("wayland") << QByteArray() << true << false;
        QTest::newRow("Wayland socket present")
            << display << QByteArray() << QByteArray("wayland-0") << true << false;
        QTest::newRow("no display at all")
            << QByteArray() << QByteArray("x11") << QByteArray() << false << false;
        QTest::newRow("a display that does not answer")
            << QByteArray(":4093") << QByteArray("x11") << QByteArray() << false << false;
    }

    void capabilities()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(bool, synthesize);
        QFETCH(bool, monitor);
        const ovelin::test::ScopedEnvironment environment{
            {"DISPLAY", display}, {"XDG_SESSION_TYPE", sessionType}, {"WAYLAND_DISPLAY", waylandDisplay}};

        X11CapabilityService service;
        QCOMPARE(service.canSynthesizeInput(), synthesize);
        QCOMPARE(service.canMonitorInput(), monitor);
    }
};

OVELIN_TEST_GUILESS_MAIN(X11CapabilitiesTest)
#include "tst_x11capabilities.moc"
