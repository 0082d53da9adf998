#include <functional>
#include <optional>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryCipher.h"
#include "history/HistoryFileCodec.h"
#include "platform/fake/FakeHistoryKeyStore.h"

#include "HistoryFixtures.h"

using namespace Qt::StringLiterals;

namespace {

using fixtures::textItem;

const QString loadFailure = u"⚠️ Nenhum histórico encontrado ou erro ao carregar: "_s;
const QString saveFailure = u"❌ Erro ao salvar histórico: "_s;

// Of the file itself, not of where a link points: moved aside, it is the same file under a new name.
struct stat statOf(const QString& path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}
mode_t modeOf(const QString& path)
{
    return statOf(path).st_mode & 0777;
}

// The one file kept aside in `dir`.
QString keptAside(const QTemporaryDir& dir)
{
    const QStringList aside = QDir(dir.path())
                                  .entryList({u"clipboard_history.json.unreadable-*"_s},
                                             QDir::AllEntries | QDir::System | QDir::Hidden);
    return aside.size() == 1 ? aside.first() : QString();
}

// A store with a key store on `keyring`, encrypting or not, loaded.
std::unique_ptr<ClipboardStorage> openStorage(const QString& path,
                                              const std::shared_ptr<FakeKeyring>& keyring, bool encrypted,
                                              QList<ClipboardItem>* loaded = nullptr)
{
    auto storage = ClipboardStorage::atPath(path);
    if (keyring)
        storage->setKeyStore(std::make_unique<FakeHistoryKeyStore>(keyring));
    storage->setEncrypted(encrypted);
    QList<ClipboardItem> items = storage->load();
    if (loaded)
        *loaded = std::move(items);
    return storage;
}

QList<ClipboardItem> secretItems()
{
    return {textItem(u"password hunter2"_s),
            ClipboardItem(ClipboardItemType::image(QByteArray(300 * 1024, 'P'))),
            ClipboardItem(ClipboardItemType::text(u"rich"_s), QByteArray("{\\rtf1 RTFSECRET}"),
                          QByteArray("<b>HTMLSECRET</b>"))};
}

// Nothing of the items shows in the file: neither the text, nor the image's Base64, nor rich text.
void verifyNothingReadable(const QByteArray& file)
{
    QVERIFY(HistoryCipher::isEncrypted(file));
    QVERIFY(!file.contains("hunter2"));
    QVERIFY(!file.contains(QByteArray(300, 'P').toBase64().left(64)));
    QVERIFY(!file.contains(QByteArray("RTFSECRET").toBase64().left(8)));
    QVERIFY(!file.contains("isPinned"));
}

bool run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A small tmpfs of the test's own, so that the disk can really be filled or made read-only.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& size)
    {
        m_mounted = m_dir.isValid() &&
                    run(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size="_s + size + u",mode=0700"_s,
                                     u"tmpfs"_s, m_dir.path()});
    }
    ~SmallDisk()
    {
        if (m_mounted)
            run(u"umount"_s, {u"-l"_s, m_dir.path()});
    }
    bool mounted() const { return m_mounted; }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool remount(const QString& mode) const
    {
        return run(u"mount"_s, {u"-o"_s, u"remount,"_s + mode, m_dir.path()});
    }
    // Fills the disk up to the last block with the file `name`.
    void fill(const QString& name) const
    {
        QFile filler(path(name));
        const QByteArray block(4096, 'x');
        if (filler.open(QIODevice::WriteOnly)) {
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

QStringList savedTexts(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {u"<unreadable>"_s};
    const auto decoded = HistoryFileCodec::decode(file.readAll());
    if (!decoded.ok())
        return {u"<broken: "_s + decoded.error + u'>'};
    QStringList texts;
    for (const ClipboardItem& item : decoded.items)
        texts.append(item.type().text().left(20));
    return texts;
}

void addAndWait(ClipboardHistory& history, const QString& text)
{
    history.addItem(textItem(text));
    history.storage().waitForPendingSaves();
}

} // namespace

#define REQUIRE_MOUNT(disk)                                                                                  \
    if (!(disk).mounted())                                                                                   \
        QSKIP("cannot mount a tmpfs here (needs root); the test command runs as root");

Q_DECLARE_METATYPE(HistoryKeyStore::Status)
// Done to a sealed file or its key before the file is loaded again.
using Damage = std::function<void(QByteArray& file, FakeKeyring& keyring)>;
Q_DECLARE_METATYPE(Damage)

class TestClipboardStorage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultLocationIsPrivate()
    {
        const QString folder = ovelin::test::isolatedEnvironment().dataHome() + u"/Ovelin"_s;
        ovelin::test::PrintedLines printed;
        ClipboardStorage storage(u"clipboard_history.json"_s);
        QCOMPARE(storage.filePath(), folder + u"/clipboard_history.json"_s);
        // No file yet: an empty history, told in one line.
        QVERIFY(storage.load().isEmpty());
        QCOMPARE(printed.count(loadFailure), 1);
        QCOMPARE(printed.lines().size(), 1);
        // A folder deleted while Ovelin runs comes back, private again, at the next save.
        for (const QString& text : {u"secret"_s, u"again"_s}) {
            QVERIFY(QDir(folder).removeRecursively());
            storage.save({textItem(text)});
            storage.waitForPendingSaves();
            QCOMPARE(modeOf(folder), mode_t(0700));
            QCOMPARE(modeOf(storage.filePath()), mode_t(0600));
        }
    }

    // A file that could not be decoded used to be overwritten by the next save, losing the whole
    // history (pinned items included) to one bad byte; one that could not even be read (no
    // permission, a disk error) loaded as empty and was overwritten too.
    void unreadableFileIsKeptAsideNotOverwritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("undecodable bytes") << u"undecodable"_s;
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
        } else if (kind == u"read-error") {
            QVERIFY(QFile::link(u"/proc/self/mem"_s, path));
        } else {
            QVERIFY(QDir().mkpath(path));
            QVERIFY(ovelin::test::writeFile(path + u"/inside"_s, "kept"));
        }
        const ino_t original = statOf(path).st_ino;

        ovelin::test::PrintedLines printed;
        {
            ClipboardHistory history(ClipboardStorage::atPath(path));
            QVERIFY(history.history().isEmpty());
            QVERIFY(!history.storage().savingStopped());
            history.addItem(textItem(u"new"_s));
            history.storage().waitForPendingSaves();
        }
        QCOMPARE(printed.count(loadFailure), 1);

        const QString aside = keptAside(dir);
        QVERIFY(QRegularExpression(u"^clipboard_history\\.json\\.unreadable-\\d{8}T\\d{6}$"_s)
                    .match(aside)
                    .hasMatch());
        QCOMPARE(statOf(dir.filePath(aside)).st_ino, original);
        QCOMPARE(printed.count(u"🗂️ Histórico ilegível guardado em: "_s), 1);

        // The new history was still saved in the usual place.
        QCOMPARE(HistoryFileCodec::decode(ovelin::test::readFile(path)).items.first().type().text(),
                 u"new"_s);
    }

    // Every restart loads the same items; turning encryption off decrypts the file back, on again
    // seals it with the same key; a running store asks the keyring once, however often it saves.
    void encryptedHistoryRoundTripsAndAsksTheKeyringOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        auto keyring = std::make_shared<FakeKeyring>();
        const QList<ClipboardItem> items = secretItems();
        openStorage(path, keyring, false)->save(items);
        for (const bool encrypted : {true, true, false, true}) {
            // As the application does: the setting changes, the unchanged list is saved again.
            keyring->lookups = 0;
            QList<ClipboardItem> loaded;
            auto storage = openStorage(path, keyring, encrypted, &loaded);
            QCOMPARE(loaded, items);
            for (int i = 0; i < 3; ++i) {
                storage->save(loaded);
                storage->waitForPendingSaves();
            }
            QCOMPARE(keyring->lookups, 1);
            const QByteArray file = ovelin::test::readFile(path);
            if (encrypted) {
                verifyNothingReadable(file);
                QCOMPARE(modeOf(path), mode_t(0600));
            } else {
                QCOMPARE(HistoryFileCodec::decode(file).items, items);
            }
        }
        QCOMPARE(keyring->stores, 1);
    }

    // A file that the stored key does not open is kept aside whole, never decoded into garbage,
    // and the history goes on in a new file.
    void encryptedFileThatDoesNotOpenIsKeptAside_data()
    {
        QTest::addColumn<Damage>("damage");
        const auto flip = [](qsizetype at, char mask) {
            return Damage([at, mask](QByteArray& file, FakeKeyring&) {
                const qsizetype i = at < 0 ? file.size() + at : at;
                file[i] = char(file[i] ^ mask);
            });
        };
        QTest::newRow("wrong key") << Damage(
            [](QByteArray&, FakeKeyring& k) { k.key = HistoryCipher::generateKey(); });
        QTest::newRow("key gone from the keyring")
            << Damage([](QByteArray&, FakeKeyring& k) { k.key.reset(); });
        QTest::newRow("byte flipped in the sealed part") << flip(HistoryCipher::headerSize + 1000, 0x01);
        QTest::newRow("last byte flipped") << flip(-1, 0x01);
        QTest::newRow("unknown version") << flip(7, 0x03); // 1 becomes 2
        QTest::newRow("truncated") << Damage([](QByteArray& file, FakeKeyring&) { file.chop(1000); });
        QTest::newRow("only the header")
            << Damage([](QByteArray& file, FakeKeyring&) { file.truncate(HistoryCipher::headerSize); });
    }
    void encryptedFileThatDoesNotOpenIsKeptAside()
    {
        QFETCH(Damage, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        auto keyring = std::make_shared<FakeKeyring>();
        openStorage(path, keyring, true)->save(secretItems());
        QByteArray file = ovelin::test::readFile(path);
        damage(file, *keyring);
        QVERIFY(ovelin::test::writeFile(path, file));

        ovelin::test::PrintedLines printed;
        QList<ClipboardItem> loaded{textItem(u"sentinel"_s)};
        auto storage = openStorage(path, keyring, true, &loaded);
        QVERIFY(loaded.isEmpty());
        QCOMPARE(printed.count(loadFailure), 1);
        QCOMPARE(ovelin::test::readFile(dir.filePath(keptAside(dir))), file);

        storage->save({textItem(u"after"_s)});
        storage->waitForPendingSaves();
        QList<ClipboardItem> reloaded;
        storage = openStorage(path, keyring, true, &reloaded);
        QCOMPARE(reloaded.size(), 1);
        QCOMPARE(reloaded.first().type().text(), u"after"_s);
    }

    // Without a keyring (none, locked and declined, or no key store at all) the file is never
    // replaced: the history lives in memory, the user is told once, the keyring is asked once.
    void unreachableKeyringNeverReplacesTheFile_data()
    {
        QTest::addColumn<HistoryKeyStore::Status>("answer");
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<bool>("encrypt");
        using S = HistoryKeyStore::Status;
        QTest::newRow("locked, encrypted file") << S::Locked << u"encrypted"_s << true;
        QTest::newRow("no Secret Service, encrypted file, turned off")
            << S::Unavailable << u"encrypted"_s << false;
        QTest::newRow("locked, plain file, turned on") << S::Locked << u"plain"_s << true;
        QTest::newRow("no Secret Service, no file, turned on") << S::Unavailable << u"none"_s << true;
        QTest::newRow("no key store, encrypted file") << S::Found << u"encrypted"_s << false;
    }
    void unreachableKeyringNeverReplacesTheFile()
    {
        QFETCH(HistoryKeyStore::Status, answer);
        QFETCH(QString, onDisk);
        QFETCH(bool, encrypt);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"clipboard_history.json"_s);
        auto keyring = std::make_shared<FakeKeyring>();
        if (onDisk != u"none")
            openStorage(path, keyring, onDisk == u"encrypted")->save(secretItems());
        const QByteArray before = ovelin::test::readFile(path);
        const bool keyStore = !QByteArray(QTest::currentDataTag()).startsWith("no key store");
        keyring->answer = answer;
        keyring->lookups = 0;
        keyring->stores = 0;

        ovelin::test::PrintedLines printed;
        QList<ClipboardItem> loaded;
        auto storage = openStorage(path, keyStore ? keyring : nullptr, encrypt, &loaded);
        QCOMPARE(loaded.isEmpty(), onDisk != u"plain");
        QCOMPARE(printed.count(u"🔒 Histórico criptografado não aberto ("_s), onDisk == u"encrypted" ? 1 : 0);
        for (int i = 0; i < 3; ++i) {
            storage->save({textItem(u"in memory %1"_s.arg(i))});
            storage->waitForPendingSaves();
        }
        storage.reset();
        QCOMPARE(printed.count(saveFailure), 1);
        QCOMPARE(keyring->lookups + keyring->stores, keyStore ? 1 : 0);
        QCOMPARE(QFile::exists(path), onDisk != u"none");
        QCOMPARE(ovelin::test::readFile(path), before);
        QVERIFY(QDir(dir.path()).entryList({u"*.unreadable-*"_s}).isEmpty());
    }

    // A large first snapshot keeps the worker busy while later ones queue up; the store, destroyed
    // at once, still writes the latest.
    void fileEndsWithTheLatestSnapshot()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"h.json"_s);
        QList<ClipboardItem> items{ClipboardItem(ClipboardItemType::image(QByteArray(8 * 1024 * 1024, 'x')))};
        {
            auto storage = ClipboardStorage::atPath(path);
            for (int i = 0; i < 200; ++i) {
                items.append(textItem(QString::number(i)));
                storage->save(items);
            }
        }
        const auto decoded = HistoryFileCodec::decode(ovelin::test::readFile(path));
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.items, items);
    }

    void fullDiskKeepsPreviousFileAndSavesAllOnceThereIsRoom()
    {
        SmallDisk disk(u"512k"_s);
        REQUIRE_MOUNT(disk);
        const QString folder = disk.path(u"Ovelin"_s);
        const QString file = folder + u"/clipboard_history.json"_s;
        ovelin::test::PrintedLines printed;
        ClipboardHistory history(ClipboardStorage::atPath(file));
        addAndWait(history, u"first"_s);
        QCOMPARE(savedTexts(file), QStringList{u"first"_s});

        disk.fill(u"filler"_s);
        for (const QChar fill : {u'a', u'b', u'c'})
            addAndWait(history, QString(100 * 1024, fill));
        QCOMPARE(printed.count(saveFailure), 1);
        QCOMPARE(savedTexts(file), QStringList{u"first"_s});
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"clipboard_history.json"_s});
        QCOMPARE(history.history().size(), 4);

        QVERIFY(QFile::remove(disk.path(u"filler"_s)));
        addAndWait(history, u"after"_s);
        QCOMPARE(savedTexts(file).size(), 5);
        QCOMPARE(savedTexts(file).first(), u"after"_s);

        // A new run of failures is reported again.
        disk.fill(u"filler"_s);
        addAndWait(history, QString(100 * 1024, u'd'));
        QCOMPARE(printed.count(saveFailure), 2);
        QCOMPARE(savedTexts(file).size(), 5);
    }

    // A file that could neither be read nor moved aside was reported, then overwritten by the
    // first save once its folder could be written again.
    void unreadableFileThatCannotBeMovedAsideIsNeverOverwritten_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("read-only disk") << u"read-only mount"_s;
        // Nothing can be renamed in /proc, and reading /proc/self/mem at address 0 fails: for
        // every user.
        QTest::newRow("read error where nothing can be renamed") << u"proc"_s;
    }
    void unreadableFileThatCannotBeMovedAsideIsNeverOverwritten()
    {
        QFETCH(QString, where);
        const QByteArray broken = "[{\"not\": \"quite";
        std::optional<SmallDisk> disk;
        QString file = u"/proc/self/mem"_s;
        std::function<bool()> mend = [] { return true; };
        if (where == u"read-only mount") {
            disk.emplace(u"1m"_s);
            REQUIRE_MOUNT(*disk);
            file = disk->path(u"clipboard_history.json"_s);
            QVERIFY(ovelin::test::writeFile(file, broken));
            QVERIFY(disk->remount(u"ro"_s));
            mend = [&disk] { return disk->remount(u"rw"_s); };
        }

        ovelin::test::PrintedLines printed;
        ClipboardHistory history(ClipboardStorage::atPath(file));
        QVERIFY(history.history().isEmpty());
        QCOMPARE(printed.count(u"❌ Não foi possível guardar o histórico ilegível: "_s), 1);
        QCOMPARE(printed.count(u"🛑 O histórico não será salvo até o app ser reiniciado"_s), 1);
        QVERIFY(history.storage().savingStopped());

        QVERIFY(mend());
        addAndWait(history, u"one"_s);
        addAndWait(history, u"two"_s);
        QCOMPARE(history.history().size(), 2);
        QCOMPARE(printed.count(saveFailure), 0);
        if (where != u"proc")
            QCOMPARE(ovelin::test::readFile(file), broken);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestClipboardStorage)
#include "tst_clipboardstorage.moc"
