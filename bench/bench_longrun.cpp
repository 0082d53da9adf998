// Resident memory over a long run: 2,000 captures of distinct 1 MB texts through the clipboard
// monitor with the history limit at 500. Once the limit is reached the memory must stay flat:
// the figure after 2,000 captures is compared with the one after 500 (goal: within 10 %).
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/fake/FakeClipboardService.h"

namespace {

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// Memory once every queued save is on disk and freed blocks are given back.
double settledMegabytes(ClipboardHistory& history)
{
    history.storage().waitForPendingSaves();
    ::malloc_trim(0);
    return residentMegabytes();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QCoreApplication::setOrganizationName(QStringLiteral("OvelinBench"));
    QCoreApplication::setApplicationName(QStringLiteral("OvelinBench"));

    const int captures = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    FakeClipboardService clipboard;
    ClipboardHistory history(
        ClipboardStorage::atPath(home.filePath(QStringLiteral("clipboard_history.json"))));
    history.setLimit(500);
    ClipboardMonitor monitor(&history, clipboard);

    // The console lines of every capture would dominate the run.
    std::fflush(stdout);
    const int console = ::dup(STDOUT_FILENO);
    std::freopen("/dev/null", "w", stdout);

    std::vector<double> samples; // settled memory after every 100 captures from 500 on
    double at500 = 0;
    const QString filler(1024 * 1024 - 16, QLatin1Char('x'));
    for (int i = 1; i <= captures; ++i) {
        ClipboardSnapshot snapshot;
        snapshot.text = QStringLiteral("%1 ").arg(i, 12) + filler;
        const auto before = history.lastInsertedID();
        clipboard.setSnapshot(snapshot);
        monitor.checkPasteboard();
        // A long text is offered once it has been searched for secrets, off the GUI thread.
        while (history.lastInsertedID() == before) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            monitor.checkPasteboard();
        }
        if (i == 500)
            at500 = settledMegabytes(history);
        if (i >= 500 && i % 100 == 0)
            samples.push_back(settledMegabytes(history));
    }
    const double atEnd = settledMegabytes(history);

    std::fflush(stdout);
    ::dup2(console, STDOUT_FILENO);
    std::printf("captures: %d of 1 MB text, history limit 500, items kept: %lld\n", captures,
                static_cast<long long>(history.history().size()));
    std::printf("resident memory after 500 captures:  %8.1f MB\n", at500);
    std::printf("resident memory after %d captures: %8.1f MB\n", captures, atEnd);
    std::printf("median of the settled samples from 500 on: %8.1f MB (%zu samples)\n", bench::median(samples),
                samples.size());
    std::printf("ratio end / 500: %.3f (goal: at most 1.10)\n", at500 > 0 ? atEnd / at500 : 0.0);
    return 0;
}
