// The Wayland clipboard's costs, on the compositor of $WAYLAND_DISPLAY (for example the headless
// sway of scripts/wlsession.sh, through scripts/as-wayland-user.sh): how long write() holds the
// GUI thread, and how long a copy takes from write() to the snapshot delivered to a second
// watching service, which reads it through the compositor like any other client's copy.
//     bench_wayland_clipboard [runs]

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "BenchUtil.h"
#include "platform/wayland/WaylandClipboardService.h"

using namespace bench;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    if (!WaylandClipboardService::dataControlProtocol()) {
        std::fprintf(stderr, "needs a compositor with data-control\n");
        return 1;
    }
    WaylandClipboardService writer;
    WaylandClipboardService watcher;
    QByteArray last;
    QEventLoop loop;
    watcher.watch([&](const ClipboardSnapshot& snapshot, bool) {
        last = snapshot.text.value_or(QString()).toUtf8();
        loop.quit();
    });
    // Woken by the delivery itself: polling would add its own interval to every sample.
    const auto waitForDelivery = [&](int timeoutMs) {
        QTimer timeout;
        timeout.setSingleShot(true);
        bool timedOut = false;
        QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        timeout.start(timeoutMs);
        loop.exec();
        return !timedOut;
    };
    if (!waitForDelivery(10000))
        return 1;

    std::printf("%-10s %14s %14s %14s\n", "text", "write() ms", "capture ms", "capture p90");
    for (const qsizetype size : {qsizetype(100), qsizetype(1) << 20, qsizetype(32) << 20}) {
        std::vector<double> writes, captures;
        for (int run = 0; run < runs; ++run) {
            QByteArray text(size, 'a' + char(run % 26));
            text.prepend(QByteArray::number(run));
            const auto start = Clock::now();
            writer.write({{{QStringLiteral("text/plain"), text}}, {}});
            writes.push_back(millisecondsSince(start));
            if (last != text && !waitForDelivery(20000)) {
                std::fprintf(stderr, "copy %d of %lld bytes not captured\n", run, qlonglong(size));
                return 1;
            }
            if (last != text) {
                std::fprintf(stderr, "copy %d of %lld bytes captured wrongly\n", run, qlonglong(size));
                return 1;
            }
            captures.push_back(millisecondsSince(start));
        }
        std::printf("%-10s %14.2f %14.2f %14.2f\n", qPrintable(QString::number(size / 1024.0, 'f', 1) + u"K"),
                    median(writes), median(captures), percentile(captures, 0.9));
    }
    return 0;
}
