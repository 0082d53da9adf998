// Cost of the shake handler per pointer move (it runs for every move anywhere on the screen) in
// its three situations, and the delay from a synthetic key press on the X server to the hot key
// handler's call. The second part needs an X display (DISPLAY) with the XTEST extension.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "activation/ShakeGestureDetector.h"
#include "core/Settings.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

double g_now = 1000;

// Microseconds per call of the shake handler, median of 21 rounds of 20 000 moves. The moves go
// one way only, 40 points apart at 120 Hz, so that while the modifier is held every move is
// recorded and the window is full, but no shake completes.
double shakeHandlerMicroseconds(Qt::KeyboardModifiers held)
{
    auto& detector = ShakeGestureDetector::shared();
    std::vector<double> rounds;
    double x = 0;
    for (int round = 0; round < 21; ++round) {
        detector.resetRecognizer();
        const auto start = bench::Clock::now();
        for (int move = 0; move < 20000; ++move) {
            g_now += 1.0 / 120;
            x += 40;
            detector.handleMouseMoved(QPointF(x, 300), held);
        }
        rounds.push_back(bench::millisecondsSince(start) * 1000.0 / 20000);
    }
    return bench::median(rounds);
}

void benchShake()
{
    auto& detector = ShakeGestureDetector::shared();
    detector.setClock([] { return g_now; });
    const QString enabledKey = QString(SettingsKey::enableShakeGesture);

    Settings::shared().setValue(enabledKey, false);
    const double off = shakeHandlerMicroseconds(Qt::ShiftModifier);
    Settings::shared().setValue(enabledKey, true);
    const double notHeld = shakeHandlerMicroseconds(Qt::NoModifier);
    const double held = shakeHandlerMicroseconds(Qt::ShiftModifier);

    std::printf("shake handler per move, gesture off:        %7.3f us\n", off);
    std::printf("shake handler per move, modifier not held:  %7.3f us\n", notHeld);
    std::printf("shake handler per move, modifier held:      %7.3f us (%.1fx the off case)\n", held,
                off > 0 ? held / off : 0.0);
}

// Press Ctrl+Super+V through XTEST on a connection of its own and wait for the handler.
void benchHotKeyLatency()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::printf("hot key latency: skipped (no X display)\n");
        return;
    }
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (display == nullptr || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::printf("hot key latency: skipped (no XTEST)\n");
        return;
    }
    QElapsedTimer clock;
    clock.start();
    qint64 calledAt = -1;
    auto hotKey = HotKey::create(Key::v, ModifierFlags(ModifierFlags::control | ModifierFlags::command),
                                 [&] { calledAt = clock.nsecsElapsed(); });
    if (!HotKeysController::hasSystemHandle(hotKey->identifier())) {
        std::printf("hot key latency: skipped (Ctrl+Super+V is taken)\n");
        XCloseDisplay(display);
        return;
    }
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode super = XKeysymToKeycode(display, XK_Super_L);
    const KeyCode v = XKeysymToKeycode(display, XK_v);

    std::vector<double> delays;
    for (int press = 0; press < 100; ++press) {
        XTestFakeKeyEvent(display, control, True, 0);
        XTestFakeKeyEvent(display, super, True, 0);
        calledAt = -1;
        XTestFakeKeyEvent(display, v, True, 0);
        const qint64 sentAt = clock.nsecsElapsed();
        XFlush(display);
        while (calledAt < 0 && clock.nsecsElapsed() - sentAt < 2'000'000'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
        if (calledAt >= 0) {
            delays.push_back((calledAt - sentAt) / 1e6);
        }
        XTestFakeKeyEvent(display, v, False, 0);
        XTestFakeKeyEvent(display, super, False, 0);
        XTestFakeKeyEvent(display, control, False, 0);
        XSync(display, False);
        // A pause as between two presses of a person: a release and a press in the same
        // millisecond look like the keyboard's auto-repeat.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 40) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    XCloseDisplay(display);
    std::printf(
        "hot key press to handler: median %.3f ms, 90th percentile %.3f ms (%zu of 100 presses seen)\n",
        bench::median(delays), bench::percentile(delays, 0.9), delays.size());
}

} // namespace

int main(int argc, char** argv)
{
    // The settings file of a throwaway home, so a developer's own settings stay untouched.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QCoreApplication::setApplicationName(QStringLiteral("Ovelin"));

    benchShake();
    benchHotKeyLatency();
    return 0;
}
