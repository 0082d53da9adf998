// The time from the global shortcut's key press to the panel being mapped and active, with a
// 500-item history, and the resident memory after start. Runs the real executable on $DISPLAY
// (for example inside scripts/xsession.sh) in a throw-away HOME:
//     bench_toggle [toggles]

#include <sys/select.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include "BenchUtil.h"
#include "history/ClipboardItem.h"
#include "history/HistoryFileCodec.h"

// Xlib's macros (None, Bool, ...) clash with Qt's headers: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

struct Session
{
    Display* dpy = nullptr;
    Window root = 0;
    Window panel = 0;
    Atom activeAtom = 0;
    bool mapped = true;
    bool active = false;
};

Window activeWindow(Session& s)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window window = 0;
    if (XGetWindowProperty(s.dpy, s.root, s.activeAtom, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &remaining, &data) == Success &&
        data && count == 1)
        window = *reinterpret_cast<Window*>(data);
    if (data)
        XFree(data);
    return window;
}

// Ovelin's panel among the window manager's clients: class "ovelin", name "Ovelin".
Window findPanel(Session& s)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(s.dpy, s.root, XInternAtom(s.dpy, "_NET_CLIENT_LIST", False), 0, 1024, False,
                           XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
        data) {
        auto* windows = reinterpret_cast<Window*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) {
            XClassHint hint = {};
            char* name = nullptr;
            if (XGetClassHint(s.dpy, windows[i], &hint)) {
                if (XFetchName(s.dpy, windows[i], &name) && name && qstrcmp(hint.res_name, "ovelin") == 0 &&
                    qstrcmp(name, "Ovelin") == 0)
                    found = windows[i];
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            if (name)
                XFree(name);
        }
    }
    if (data)
        XFree(data);
    return found;
}

void pressShortcut(Session& s)
{
    const KeyCode control = XKeysymToKeycode(s.dpy, XK_Control_L);
    const KeyCode super = XKeysymToKeycode(s.dpy, XK_Super_L);
    const KeyCode v = XKeysymToKeycode(s.dpy, XK_v);
    for (const KeyCode key : {control, super, v})
        XTestFakeKeyEvent(s.dpy, key, True, CurrentTime);
    for (const KeyCode key : {v, super, control})
        XTestFakeKeyEvent(s.dpy, key, False, CurrentTime);
    XFlush(s.dpy);
}

// Handles events until `done` holds or the time runs out.
template <typename Condition> bool waitUntil(Session& s, Condition done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        while (XPending(s.dpy)) {
            XEvent event;
            XNextEvent(s.dpy, &event);
            if (event.type == MapNotify && event.xmap.window == s.panel)
                s.mapped = true;
            else if (event.type == UnmapNotify && event.xunmap.window == s.panel)
                s.mapped = false;
            else if (event.type == PropertyNotify && event.xproperty.atom == s.activeAtom)
                s.active = activeWindow(s) == s.panel;
        }
        if (done())
            break;
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(s.dpy), &fds);
        timeval tv{0, static_cast<suseconds_t>(std::min<qint64>(left, 50) * 1000)};
        select(ConnectionNumber(s.dpy) + 1, &fds, nullptr, nullptr, &tv);
    }
    return true;
}

long residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int toggles = argc > 1 ? std::atoi(argv[1]) : 50;
    Session s;
    s.dpy = XOpenDisplay(nullptr);
    if (!s.dpy) {
        std::fprintf(stderr,
                     "bench_toggle needs an X display (source scripts/xsession.sh; ovelin_x_start)\n");
        return 2;
    }
    s.root = DefaultRootWindow(s.dpy);
    s.activeAtom = XInternAtom(s.dpy, "_NET_ACTIVE_WINDOW", False);

    // A clean HOME with 500 text items and a limit that keeps them.
    QTemporaryDir home;
    for (const char* sub : {"config/Ovelin", "data/Ovelin", "cache"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    QFile config(home.filePath(QStringLiteral("config/Ovelin/Ovelin.conf")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write("[General]\nhistoryLimit=500\n");
    config.close();
    QList<ClipboardItem> items;
    for (int i = 0; i < 500; ++i) {
        const QString text =
            QStringLiteral("Benchmark entry %1: a line of copied text, long enough to wrap once "
                           "in the panel's row when it is shown.")
                .arg(i);
        items.append(ClipboardItem(QUuid::createUuid(), ClipboardItemType::text(text), 786000000.0 - i, false,
                                   std::nullopt, std::nullopt));
    }
    QFile history(home.filePath(QStringLiteral("data/Ovelin/clipboard_history.json")));
    if (!history.open(QIODevice::WriteOnly))
        return 1;
    history.write(HistoryFileCodec::encode(items));
    history.close();

    QProcess ovelin;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("OVELIN_ANALYTICS_URL"), QStringLiteral("http://127.0.0.1:9/"));
    ovelin.setProcessEnvironment(environment);
    ovelin.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ovelin.start(QStringLiteral(OVELIN_EXECUTABLE), {});
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains("Monitoramento") && clock.elapsed() < 30000 && ovelin.waitForReadyRead(500))
        output += ovelin.readAllStandardOutput();
    while (!(s.panel = findPanel(s)) && clock.elapsed() < 30000)
        QThread::msleep(50);
    if (!s.panel) {
        std::fprintf(stderr, "no panel window\n");
        return 1;
    }
    QThread::msleep(1500); // let start-up work settle before measuring memory
    const long rss = residentKilobytes(ovelin.processId());

    XSelectInput(s.dpy, s.panel, StructureNotifyMask);
    XSelectInput(s.dpy, s.root, PropertyChangeMask);
    s.active = activeWindow(s) == s.panel;
    pressShortcut(s); // the panel is shown at start-up: hide it first
    if (!waitUntil(
            s, [&s] { return !s.mapped; }, 3000)) {
        std::fprintf(stderr, "the shortcut did not hide the panel\n");
        return 1;
    }

    std::vector<double> samples;
    int failures = 0;
    for (int i = 0; i < toggles; ++i) {
        XWarpPointer(s.dpy, None, s.root, 0, 0, 0, 0, 200 + (i % 7) * 150, 150 + (i % 3) * 100);
        XSync(s.dpy, False);
        QThread::msleep(30);
        s.active = false;
        const auto start = bench::Clock::now();
        pressShortcut(s);
        if (!waitUntil(
                s, [&s] { return s.mapped && s.active; }, 3000)) {
            ++failures;
            std::fprintf(stderr, "toggle %d: mapped %d, active window 0x%lx (panel 0x%lx)\n", i,
                         int(s.mapped), activeWindow(s), s.panel);
        } else {
            samples.push_back(bench::millisecondsSince(start));
        }
        pressShortcut(s);
        waitUntil(
            s, [&s] { return !s.mapped; }, 3000);
        QThread::msleep(30);
    }

    std::printf("panel toggle with 500 items (%zu of %d shown; %d timed out)\n", samples.size(), toggles,
                failures);
    std::printf("  key press -> mapped and active: median %.1f ms, p95 %.1f ms, min %.1f ms, max %.1f ms\n",
                bench::median(samples), bench::percentile(samples, 0.95),
                samples.empty() ? 0.0 : *std::min_element(samples.begin(), samples.end()),
                samples.empty() ? 0.0 : *std::max_element(samples.begin(), samples.end()));
    std::printf("  resident memory after start: %.1f MB\n", rss / 1024.0);

    ovelin.terminate();
    ovelin.waitForFinished(3000);
    XCloseDisplay(s.dpy);
    return failures == 0 ? 0 : 1;
}
