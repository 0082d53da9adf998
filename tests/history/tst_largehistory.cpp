#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryFileCodec.h"

using namespace Qt::StringLiterals;

class TestLargeHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // About 200 MB of valid items (images are stored inline as Base64) must load, not be
    // mistaken for a broken file and moved aside.
    void twoHundredMegabytesLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        QList<ClipboardItem> items;
        for (int i = 0; i < 30; ++i) {
            QByteArray bytes(5 * 1024 * 1024, char('a' + i % 26));
            items.append(ClipboardItem(ClipboardItemType::image(bytes)));
        }
        items.append(ClipboardItem(ClipboardItemType::text(QString(2 * 1024 * 1024, u'ç'))));
        {
            auto storage = ClipboardStorage::atPath(path);
            storage->save(items);
        }
        QVERIFY(QFileInfo(path).size() > 200'000'000);

        auto storage = ClipboardStorage::atPath(path);
        const QList<ClipboardItem> loaded = storage->load();
        QCOMPARE(loaded.size(), items.size());
        QCOMPARE(loaded, items);
        QVERIFY(QFile::exists(path));
    }
};

OVELIN_TEST_GUILESS_MAIN(TestLargeHistory)
#include "tst_largehistory.moc"
