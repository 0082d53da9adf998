// The time from the global shortcut's key press to the panel being mapped and active, with a
// 500-item history, and the resident memory after start. Runs the real executable on $DISPLAY
// (for example inside scripts/xsession.sh) in a throw-away HOME:
//     bench_toggle [toggles]

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

#include "X11Bench.h"

using namespace bench;

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
    const long rss = statusKilobytes(ovelin.processId());

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
