// GUI-thread cost of ClipboardHistory::addItem (the save runs on the storage's worker) and the
// time to load the history file, for a text-only history and for one holding 100 MB of images;
// and the GUI-thread cost of deciding on one copy (its size counted) as it arrives.
#include <cstdio>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "history/CaptureGate.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"

namespace {

QList<ClipboardItem> makeHistory(int images)
{
    QList<ClipboardItem> items;
    double date = 1000;
    for (int i = 0; i < 500; ++i) {
        const bool image = i < images;
        auto type = image ? ClipboardItemType::image(QByteArray(5 * 1024 * 1024, char(i)))
                          : ClipboardItemType::text(
                                QStringLiteral("Item %1: some copied sentence of ordinary length").arg(i));
        items.append(ClipboardItem(QUuid::createUuid(), type, date -= 1, false, {}, {}));
    }
    return items;
}

void run(const char* name, int images)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clipboard_history.json"));
    {
        auto storage = ClipboardStorage::atPath(path);
        storage->save(makeHistory(images));
    }

    std::vector<double> loads;
    for (int i = 0; i < 5; ++i) {
        const auto start = bench::Clock::now();
        auto storage = ClipboardStorage::atPath(path);
        const auto items = storage->load();
        loads.push_back(bench::millisecondsSince(start));
    }

    ClipboardHistory history(ClipboardStorage::atPath(path));
    history.setLimit(500);
    std::vector<double> adds;
    for (int i = 0; i < 50; ++i) {
        const ClipboardItem item(ClipboardItemType::text(QStringLiteral("new %1").arg(i)));
        const auto start = bench::Clock::now();
        history.addItem(item);
        adds.push_back(bench::millisecondsSince(start));
    }
    const auto drain = bench::Clock::now();
    history.storage().waitForPendingSaves();
    const double drainMs = bench::millisecondsSince(drain);

    std::printf("%-34s load median %8.1f ms | addItem on the GUI thread median %6.3f ms, p95 %6.3f ms | "
                "worker catch-up %7.1f ms\n",
                name, bench::median(loads), bench::median(adds), bench::percentile(adds, 0.95), drainMs);
}

void runGate(const char* name, const ClipboardItem& item, int capMB)
{
    CaptureGate gate;
    gate.setIgnoredApplications({QStringLiteral("KeePassXC"), QStringLiteral("Bitwarden")});
    gate.setMaxItemSizeMB(capMB);
    std::vector<double> samples;
    for (int i = 0; i < 21; ++i) {
        const auto start = bench::Clock::now();
        const bool admitted = gate.admits(item, QStringLiteral("gedit"));
        samples.push_back(bench::millisecondsSince(start));
        if (!admitted)
            std::printf("unexpected refusal\n");
    }
    std::printf("%-34s gate decision median %8.3f ms\n", name, bench::median(samples));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    run("500 text items", 0);
    run("500 items, 20 of them 5 MB images", 20);
    const ClipboardItem text(ClipboardItemType::text(QString(20 << 20, u'é')));
    runGate("1 KB text, cap 50 MB", ClipboardItem(ClipboardItemType::text(QString(1024, u'a'))), 50);
    runGate("40 MB text, cap 500 MB", text, 500);
    runGate("40 MB text, cap 50 MB (counted)", text, 50);
    runGate("50 MB image, cap 50 MB", ClipboardItem(ClipboardItemType::image(QByteArray(50 << 20, 'x'))), 50);
    return 0;
}
