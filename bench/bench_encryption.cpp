// The history file encrypted against plain: the time to save and to load a history holding
// 100 MB of images (the key from an in-memory keyring, so only the file's work is measured).
#include <cstdio>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "history/ClipboardStorage.h"
#include "platform/fake/FakeHistoryKeyStore.h"

namespace {

QList<ClipboardItem> makeHistory()
{
    QList<ClipboardItem> items;
    double date = 1000;
    for (int i = 0; i < 500; ++i) {
        auto type = i < 20 ? ClipboardItemType::image(QByteArray(5 * 1024 * 1024, char(i)))
                           : ClipboardItemType::text(
                                 QStringLiteral("Item %1: some copied sentence of ordinary length").arg(i));
        items.append(ClipboardItem(QUuid::createUuid(), type, date -= 1, false, {}, {}));
    }
    return items;
}

struct Timings
{
    double save;
    double load;
    qint64 bytes;
};

Timings run(bool encrypted, const QList<ClipboardItem>& items)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clipboard_history.json"));
    auto keyring = std::make_shared<FakeKeyring>();
    keyring->key = QByteArray(32, 'k');
    const auto open = [&] {
        auto storage = ClipboardStorage::atPath(path);
        storage->setKeyStore(std::make_unique<FakeHistoryKeyStore>(keyring));
        storage->setEncrypted(encrypted);
        return storage;
    };
    std::vector<double> saves;
    std::vector<double> loads;
    auto storage = open();
    for (int i = 0; i < 7; ++i) {
        const auto start = bench::Clock::now();
        storage->save(items);
        storage->waitForPendingSaves();
        saves.push_back(bench::millisecondsSince(start));
    }
    for (int i = 0; i < 7; ++i) {
        const auto start = bench::Clock::now();
        auto reader = open();
        const QList<ClipboardItem> loaded = reader->load();
        loads.push_back(bench::millisecondsSince(start));
        if (loaded.size() != items.size())
            std::printf("load failed\n");
    }
    return {bench::median(saves), bench::median(loads), QFileInfo(path).size()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QList<ClipboardItem> items = makeHistory();
    const Timings plain = run(false, items);
    const Timings sealed = run(true, items);
    std::printf(
        "100 MB of images + 480 texts  plain:     save median %7.1f ms, load median %7.1f ms (%lld bytes)\n",
        plain.save, plain.load, static_cast<long long>(plain.bytes));
    std::printf(
        "100 MB of images + 480 texts  encrypted: save median %7.1f ms, load median %7.1f ms (%lld bytes)\n",
        sealed.save, sealed.load, static_cast<long long>(sealed.bytes));
    std::printf("encrypted / plain: save %.2fx, load %.2fx\n", sealed.save / plain.save,
                sealed.load / plain.load);
    return 0;
}
