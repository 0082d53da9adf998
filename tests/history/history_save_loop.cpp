// Saves a growing history in a loop until killed; used by the kill test. After each save that
// reached the disk it prints "saved <round>", so the test knows what the file must hold at least.
// A second argument "encrypted" seals every save with the key of 32 'k' bytes.
#include <cstdio>

#include <QCoreApplication>

#include "history/ClipboardStorage.h"
#include "platform/fake/FakeHistoryKeyStore.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    auto storage = ClipboardStorage::atPath(QString::fromLocal8Bit(argv[1]));
    if (argc > 2 && qstrcmp(argv[2], "encrypted") == 0) {
        auto keyring = std::make_shared<FakeKeyring>();
        keyring->key = QByteArray(32, 'k');
        storage->setKeyStore(std::make_unique<FakeHistoryKeyStore>(keyring));
        storage->setEncrypted(true);
    }
    QList<ClipboardItem> items;
    for (int i = 0; i < 20; ++i)
        items.append(ClipboardItem(ClipboardItemType::image(QByteArray(1024 * 1024, char('a' + i)))));
    for (int round = 0;; ++round) {
        items.prepend(ClipboardItem(ClipboardItemType::text(QStringLiteral("round %1").arg(round))));
        storage->save(items);
        storage->waitForPendingSaves();
        std::printf("saved %d\n", round);
        std::fflush(stdout);
    }
}
