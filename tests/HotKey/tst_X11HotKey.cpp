#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>

#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/KeyboardDriver.h"
#include "support/TestMain.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace Qt::StringLiterals;
using ovelin::test::pressSentinelHotKey;
using ovelin::test::xdotool;

namespace {

int g_otherClientError = 0;
int recordError(Display*, XErrorEvent* event)
{
    g_otherClientError = event->error_code;
    return 0;
}

// Another X client: a connection of its own that grabs a key on the root window.
class OtherClient
{
public:
    OtherClient() : m_display(XOpenDisplay(nullptr)) {}
    ~OtherClient()
    {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    bool isOpen() const { return m_display != nullptr; }

    /// Grabs keysym with the given X modifier mask (no locks); true when the server accepted.
    bool grab(KeySym keysym, unsigned int modifiers)
    {
        const KeyCode keycode = XKeysymToKeycode(m_display, keysym);
        XSync(m_display, False);
        g_otherClientError = 0;
        const XErrorHandler previous = XSetErrorHandler(recordError);
        XGrabKey(m_display, keycode, modifiers, DefaultRootWindow(m_display), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(m_display, False);
        XSetErrorHandler(previous);
        return g_otherClientError == 0;
    }

private:
    Display* m_display;
};

const ModifierFlags controlCommand(ModifierFlags::control | ModifierFlags::command);

} // namespace

class X11HotKeyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X server (run under Xvfb with the x11 label)");
        }
        if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty()) {
            QSKIP("xdotool is not installed");
        }
    }

    void pressAndReleaseRunTheHandlers()
    {
        int downs = 0;
        int ups = 0;
        auto hotKey = HotKey::create(
            Key::v, controlCommand, [&] { ++downs; }, [&] { ++ups; });
        QVERIFY(HotKeysController::hasSystemHandle(hotKey->identifier()));

        xdotool({u"key"_s, u"ctrl+super+v"_s});
        QTRY_COMPARE_WITH_TIMEOUT(downs, 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(ups, 1, 10000);

        // Neither Caps Lock nor Num Lock on hides the combination.
        int presses = 1;
        for (const QString& lock : {u"Caps_Lock"_s, u"Num_Lock"_s}) {
            xdotool({u"key"_s, lock, u"ctrl+super+v"_s, lock});
            ++presses;
            QTRY_COMPARE_WITH_TIMEOUT(downs, presses, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(ups, presses, 10000);
        }

        // Holding the combination long enough for the keyboard to repeat still is one press.
        xdotool({u"keydown"_s, u"ctrl+super+v"_s, u"sleep"_s, u"1.2"_s, u"keyup"_s, u"ctrl+super+v"_s});
        QTRY_COMPARE_WITH_TIMEOUT(ups, 4, 10000);
        QCOMPARE(downs, 4);

        // Other modifiers make another combination.
        xdotool({u"key"_s, u"ctrl+shift+super+v"_s});
        xdotool({u"key"_s, u"ctrl+v"_s});
        pressSentinelHotKey();
        QCOMPARE(downs, 4);
    }

    void releasingTheHotKeyGivesTheGrabBack()
    {
        int downs = 0;
        auto hotKey = HotKey::create(Key::k, controlCommand, [&] { ++downs; });
        QVERIFY(HotKeysController::hasSystemHandle(hotKey->identifier()));
        OtherClient other;
        QVERIFY(other.isOpen());
        QVERIFY(!other.grab(XK_k, ControlMask | Mod4Mask));
        hotKey.reset();
        xdotool({u"key"_s, u"ctrl+super+k"_s});
        pressSentinelHotKey();
        QCOMPARE(downs, 0);
        QVERIFY(other.grab(XK_k, ControlMask | Mod4Mask));
    }

    void comboGrabbedByAnotherClientIsRefusedSilently()
    {
        OtherClient other;
        QVERIFY(other.isOpen());
        QVERIFY(other.grab(XK_j, ControlMask | Mod4Mask));

        QTest::failOnWarning(QRegularExpression(u".*"_s));
        int downs = 0;
        auto hotKey = HotKey::create(Key::j, controlCommand, [&] { ++downs; });
        QVERIFY(HotKeysController::hotKeyID(hotKey->identifier()).has_value());
        QVERIFY(!HotKeysController::hasSystemHandle(hotKey->identifier()));

        xdotool({u"key"_s, u"ctrl+super+j"_s});
        pressSentinelHotKey();
        QCOMPARE(downs, 0);

        // Only the other client's grab is there: none of ours lingers once the other one lets go.
        hotKey.reset();
        OtherClient third;
        QVERIFY(!third.grab(XK_j, ControlMask | Mod4Mask));
        QVERIFY(third.grab(XK_j, ControlMask | Mod4Mask | LockMask));
    }

    // Section is not on a US map; fn has no X keysym.
    void keysTheKeyboardLacksAreRefused()
    {
        for (const Key key : {Key::section, Key::function})
            QVERIFY(!HotKeysController::hasSystemHandle(
                HotKey::create(key, controlCommand, [] {})->identifier()));
    }
};

OVELIN_TEST_MAIN(X11HotKeyTest)
#include "tst_X11HotKey.moc"
