// How long the GUI thread stops while the clipboard monitor reads what another application
// holds: a 50 MB text (xclip), and an owner that never answers (the tests' fixture), where the
// first tick waits for one selection timeout and the ticks after it must not ask again.
// Prints the median over three runs of the longest gap between two ticks of a 10 ms timer.
// Needs $DISPLAY (bench/monitor_cpu.sh shows how to start a private Xvfb).

#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "BenchUtil.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/x11/X11Platform.h"

using namespace Qt::StringLiterals;

namespace {

// The longest time the event loop went without running, while `wait` milliseconds pass.
double longestStallMs(int waitMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 longest = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { longest = std::max(longest, clock.restart()); });
    timer.start(10);
    QTest::qWait(waitMs);
    return double(std::max(longest, clock.elapsed()));
}

void report(const char* what, std::vector<double> samples)
{
    std::printf("%-44s longest GUI stall median %7.0f ms (of %zu runs)\n", what, bench::median(samples),
                samples.size());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != u"xcb") {
        std::fputs("needs an X server\n", stderr);
        return 2;
    }
    QTemporaryDir dir;
    QFile big(dir.filePath(u"big.txt"_s));
    if (!big.open(QIODevice::WriteOnly))
        return 1;
    const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\n";
    for (qint64 written = 0; written < 50 * 1024 * 1024; written += line.size())
        big.write(line);
    big.close();

    ClipboardHistory history(ClipboardStorage::atPath(dir.filePath(u"clipboard_history.json"_s)));
    ClipboardMonitor monitor(&history, *ovelin::x11::platformServices().clipboard);
    monitor.startMonitoring();

    std::vector<double> text, hungFirst, hungAfter;
    for (int run = 0; run < 3; ++run) {
        QProcess xclip;
        xclip.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s, u"-i"_s, big.fileName()});
        text.push_back(longestStallMs(4000));
        xclip.kill();
        xclip.waitForFinished();

        QProcess hung;
        hung.start(QStringLiteral(X11_FIXTURE), {u"hang"_s});
        hung.waitForReadyRead(5000);
        hungFirst.push_back(longestStallMs(7500));
        hungAfter.push_back(longestStallMs(3500));
        hung.kill();
        hung.waitForFinished();
    }
    report("50 MB text", text);
    report("owner that never answers, first tick", hungFirst);
    report("owner that never answers, ticks after", hungAfter);
    history.storage().waitForPendingSaves();
    return 0;
}
