// How long the GUI thread is held up while the clipboard monitor captures large or awkward
// contents (held by xclip), with the X11 clipboard and a real history store, as in the
// application: the time the delivery of a snapshot takes on the GUI thread (building the item
// and adding it to the history), and the longest gap between ticks of a 1 ms timer, which also
// counts the scheduler's delays on a loaded machine. Needs $DISPLAY:
//     bench_capture_stall [runs]

#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "BenchUtil.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/ClipboardService.h"
#include "platform/x11/X11Platform.h"

using namespace Qt::StringLiterals;

namespace {

// Runs the event loop until `done` holds (or 30 s pass) and returns the longest gap between two
// ticks of a 1 ms timer.
double longestGap(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, double(now - last) / 1e6);
        last = now;
    });
    ticker.start();
    while (!done() && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return longest;
}

// The application's clipboard, with the time each delivered snapshot takes on the GUI thread.
class TimedClipboard : public ClipboardService
{
public:
    explicit TimedClipboard(ClipboardService& clipboard) : m_clipboard(clipboard) {}

    quint64 changeCount() const override { return m_clipboard.changeCount(); }
    ClipboardSnapshot read() override { return m_clipboard.read(); }
    void write(const ClipboardContent& content) override { m_clipboard.write(content); }
    void writePrimarySelection(const ClipboardContent& content) override
    {
        m_clipboard.writePrimarySelection(content);
    }
    void watch(SnapshotHandler handler) override
    {
        if (!handler) {
            m_clipboard.watch(nullptr);
            return;
        }
        m_clipboard.watch([this, handler](const ClipboardSnapshot& snapshot, bool changed) {
            const auto start = bench::Clock::now();
            handler(snapshot, changed);
            longestDelivery = std::max(longestDelivery, bench::millisecondsSince(start));
        });
    }

    double longestDelivery = 0;

private:
    ClipboardService& m_clipboard;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != u"xcb") {
        std::fputs("needs an X server\n", stderr);
        return 2;
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir dir;
    ClipboardHistory history(ClipboardStorage::atPath(dir.filePath(u"clipboard_history.json"_s)));
    history.setLimit(500);
    TimedClipboard clipboard(*ovelin::x11::platformServices().clipboard);
    ClipboardMonitor monitor(&history, clipboard);
    monitor.startMonitoring();

    QByteArray big;
    const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\n";
    while (big.size() < 50 * 1024 * 1024)
        big += line;
    QByteArray urls;
    for (int i = 0; i < 10000; ++i)
        urls += "file:///tmp/many/" + QByteArray::number(i) + ".txt\r\n";
    QByteArray image(12 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < image.size(); ++i)
        image[i] = char(i * 2654435761u >> 24);
    struct Case
    {
        const char* name;
        const char* target;
        QByteArray bytes;
    };
    const std::vector<Case> cases{{"short text", "UTF8_STRING", "a short text"},
                                  {"50 MB text", "UTF8_STRING", big},
                                  {"12 MB image", "image/png", image},
                                  {"10,000 file URLs", "text/uri-list", urls}};

    for (const Case& c : cases) {
        std::vector<double> gaps, deliveries;
        for (int run = 0; run < runs; ++run) {
            // A different first byte each run, so that every run is a new item.
            QByteArray bytes = c.bytes;
            bytes.prepend(char('0' + run));
            QFile file(dir.filePath(u"content"_s));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return 1;
            file.close();
            clipboard.longestDelivery = 0;
            const qsizetype before = history.history().size();
            const auto top = history.history().isEmpty() ? QUuid() : history.history().first().id();
            QProcess xclip;
            xclip.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s,
                                     QString::fromLatin1(c.target), u"-i"_s, file.fileName()});
            gaps.push_back(longestGap([&] {
                return history.history().size() != before ||
                       (!history.history().isEmpty() && history.history().first().id() != top);
            }));
            deliveries.push_back(clipboard.longestDelivery);
            history.storage().waitForPendingSaves();
            xclip.kill();
            xclip.waitForFinished();
        }
        std::printf(
            "%-18s on the GUI thread: delivery median %6.1f ms, max %6.1f ms | longest event-loop gap "
            "median %6.1f ms, max %6.1f ms\n",
            c.name, bench::median(deliveries), *std::max_element(deliveries.begin(), deliveries.end()),
            bench::median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    }
    return 0;
}
