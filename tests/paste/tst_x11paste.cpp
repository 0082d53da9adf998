#include <QTest>

#include "TestMain.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/X11TestSupport.h"
#include "platform/x11/X11Platform.h"

#include <X11/Xlib.h>

// What only X11 has of pasting; the paste itself is tst_clipboardconformance's.
class TestX11Paste : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!ovelin::test::onX11())
            QSKIP("needs an X server (run under Xvfb)");
    }

    // Qt's own Xlib error handler ignores everything, so an error the service does not trap would
    // pass unnoticed: this handler, standing in for the application's, sees any that escape.
    void vanishedWindowIsNoErrorOfTheApplication()
    {
        Display* dpy = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        static int escaped = 0;
        escaped = 0;
        const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
            ++escaped;
            return 0;
        });
        const quint64 bogus = 0x3fffff0;
        QVERIFY(!ovelin::x11::platformServices().frontmostApplication->activateWindow(bogus));
        XSync(dpy, False);
        XSetErrorHandler(previous);
        QCOMPARE(escaped, 0);
    }
};

OVELIN_TEST_MAIN(TestX11Paste)
#include "tst_x11paste.moc"
