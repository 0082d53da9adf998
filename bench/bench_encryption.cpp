// The history file encrypted against plain: the time to save and to load a history holding
// 100 MB of images (the key from an in-memory keyring, so only the file's work is measured).
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryCipher.h"
#include "history/HistoryFileCodec.h"
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
    // The load's parts, for the encrypted file: opening it in memory, then decoding the JSON.
    double open = 0;
    double decode = 0;
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
    Timings timings{bench::median(saves), bench::median(loads), QFileInfo(path).size()};
    if (encrypted) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray sealed = file.readAll();
        std::vector<double> opens;
        std::vector<double> decodes;
        for (int i = 0; i < 5; ++i) {
            auto start = bench::Clock::now();
            const auto opened = HistoryCipher::decrypt(sealed, *keyring->key);
            opens.push_back(bench::millisecondsSince(start));
            start = bench::Clock::now();
            const auto decoded = HistoryFileCodec::decode(opened.plain);
            decodes.push_back(bench::millisecondsSince(start));
        }
        timings.open = bench::median(opens);
        timings.decode = bench::median(decodes);
    }
    return timings;
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
    std::printf("encrypted load's parts: decrypt median %7.1f ms, decode median %7.1f ms\n", sealed.open,
                sealed.decode);
    std::printf("encrypted / plain: save %.2fx, load %.2fx\n", sealed.save / plain.save,
                sealed.load / plain.load);
    return 0;
}
