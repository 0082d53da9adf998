#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryFileCodec.h"

#include "HistoryFixtures.h"

using namespace Qt::StringLiterals;

namespace {

ClipboardItem textItem(const QString& text)
{
    return ClipboardItem(ClipboardItemType::text(text));
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

// The file itself, not where a link points: moved aside, it is the same file under a new name.
ino_t inodeOf(const QString& path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

} // namespace

class TestClipboardStorage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultLocationIsPrivate()
    {
        const QString folder = ovelin::test::isolatedEnvironment().dataHome() + u"/Ovelin"_s;
        ClipboardStorage storage(u"clipboard_history.json"_s);
        QCOMPARE(storage.filePath(), folder + u"/clipboard_history.json"_s);
        storage.save({textItem(u"secret"_s)});
        storage.waitForPendingSaves();
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(modeOf(storage.filePath()), mode_t(0600));

        // A folder deleted while Ovelin runs comes back, private again, at the next save.
        QVERIFY(QDir(folder).removeRecursively());
        storage.save({textItem(u"again"_s)});
        storage.waitForPendingSaves();
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(modeOf(storage.filePath()), mode_t(0600));
    }

    void missingFileStartsEmptyWithOneLine()
    {
        QTemporaryDir dir;
        ovelin::test::PrintedLines printed;
        auto storage = ClipboardStorage::atPath(dir.filePath(u"clipboard_history.json"_s));
        QVERIFY(storage->load().isEmpty());
        QCOMPARE(printed.lines().size(), 1);
        QVERIFY(printed.lines().first().startsWith(
            u"⚠️ Nenhum histórico encontrado ou erro ao carregar: "_s));
    }

    // A file that could not be decoded used to be overwritten by the next save, losing the whole
    // history (pinned items included) to one bad byte; one that could not even be read (no
    // permission, a disk error) loaded as empty and was overwritten too.
    void unreadableFileIsKeptAsideNotOverwritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("undecodable bytes") << u"undecodable"_s;
        QTest::newRow("no read permission") << u"write-only"_s;
        // Reading /proc/self/mem at address 0 fails with EIO, for every user.
        QTest::newRow("read error") << u"read-error"_s;
        QTest::newRow("folder in its place") << u"folder"_s;
    }
    void unreadableFileIsKeptAsideNotOverwritten()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        if (kind == u"undecodable") {
            QVERIFY(ovelin::test::writeFile(path, fixtures::handWritten.left(90)));
        } else if (kind == u"write-only") {
            if (::geteuid() == 0)
                QSKIP("root reads a 0200 file; the read error row covers a file that cannot be read");
            QVERIFY(ovelin::test::writeFile(path, fixtures::handWritten));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0200) == 0);
        } else if (kind == u"read-error") {
            QVERIFY(QFile::link(u"/proc/self/mem"_s, path));
        } else {
            QVERIFY(QDir().mkpath(path));
            QVERIFY(ovelin::test::writeFile(path + u"/inside"_s, "kept"));
        }
        const ino_t original = inodeOf(path);

        ovelin::test::PrintedLines printed;
        {
            ClipboardHistory history(ClipboardStorage::atPath(path));
            QVERIFY(history.history().isEmpty());
            QVERIFY(!history.storage().savingStopped());
            history.addItem(textItem(u"new"_s));
            history.storage().waitForPendingSaves();
        }
        QCOMPARE(printed.count(u"⚠️ Nenhum histórico encontrado ou erro ao carregar: "_s), 1);

        const QStringList aside =
            QDir(dir.path())
                .entryList({u"clipboard_history.json.unreadable-*"_s}, QDir::AllEntries | QDir::System);
        QCOMPARE(aside.size(), 1);
        QVERIFY(QRegularExpression(u"^clipboard_history\\.json\\.unreadable-\\d{8}T\\d{6}$"_s)
                    .match(aside.first())
                    .hasMatch());
        QCOMPARE(inodeOf(dir.filePath(aside.first())), original);
        QCOMPARE(printed.count(u"🗂️ Histórico ilegível guardado em: "_s), 1);

        // The new history was still saved in the usual place.
        QCOMPARE(HistoryFileCodec::decode(ovelin::test::readFile(path)).items.first().type().text(),
                 u"new"_s);
    }

    void repeatedSaveFailureIsReportedOnce()
    {
        QTemporaryDir dir;
        // A plain file where the folder should be: the folder can never be created.
        QVERIFY(ovelin::test::writeFile(dir.filePath(u"blocker"_s), "x"));
        ovelin::test::PrintedLines printed;
        ClipboardHistory history(
            ClipboardStorage::atPath(dir.filePath(u"blocker/sub/clipboard_history.json"_s)));
        history.addItem(textItem(u"one"_s));
        history.storage().waitForPendingSaves();
        history.addItem(textItem(u"two"_s));
        history.storage().waitForPendingSaves();
        QCOMPARE(printed.count(u"❌ Erro ao salvar histórico: "_s), 1);
        QCOMPARE(history.history().size(), 2);
        QCOMPARE(history.history().first().type().text(), u"two"_s);
    }

    void fileEndsWithTheLatestSnapshot()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"h.json"_s);
        auto storage = ClipboardStorage::atPath(path);
        QList<ClipboardItem> items;
        // A large first snapshot keeps the worker busy while later ones queue up.
        items.append(ClipboardItem(ClipboardItemType::image(QByteArray(8 * 1024 * 1024, 'x'))));
        for (int i = 0; i < 200; ++i) {
            items.append(textItem(QString::number(i)));
            storage->save(items);
        }
        storage->waitForPendingSaves();
        const auto decoded = HistoryFileCodec::decode(ovelin::test::readFile(path));
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.items, items);
    }

    void destructionWritesWhatIsQueued()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"h.json"_s);
        {
            auto storage = ClipboardStorage::atPath(path);
            storage->save({textItem(u"last words"_s)});
        }
        QCOMPARE(HistoryFileCodec::decode(ovelin::test::readFile(path)).items.size(), 1);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestClipboardStorage)
#include "tst_clipboardstorage.moc"
