#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

const QString saveFailure = u"❌ Erro ao salvar histórico: "_s;

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

using fixtures::textItem;

void addAndWait(ClipboardHistory& history, const QString& text)
{
    history.addItem(textItem(text));
    history.storage().waitForPendingSaves();
}

} // namespace

#define REQUIRE_MOUNT(disk)                                                                                  \
    if (!(disk).mounted())                                                                                   \
        QSKIP("cannot mount a tmpfs here (needs root); the test command runs as root");

class TestStorageFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

        // Fill the disk up to the last block.
        QFile filler(disk.path(u"filler"_s));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        for (const QChar fill : {u'a', u'b', u'c'})
            addAndWait(history, QString(100 * 1024, fill));
        QCOMPARE(printed.count(saveFailure), 1);
        QCOMPARE(savedTexts(file), QStringList{u"first"_s});
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"clipboard_history.json"_s});
        QCOMPARE(history.history().size(), 4);

        QVERIFY(QFile::remove(filler.fileName()));
        addAndWait(history, u"after"_s);
        QCOMPARE(savedTexts(file).size(), 5);
        QCOMPARE(savedTexts(file).first(), u"after"_s);

        // A new run of failures is reported again.
        QFile again(disk.path(u"filler"_s));
        QVERIFY(again.open(QIODevice::WriteOnly));
        while (again.write(block) == block.size() && again.flush()) {
        }
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
        QTest::newRow("folder without write permission") << u"locked folder"_s;
        // Nothing can be renamed in /proc, and reading /proc/self/mem at address 0 fails: for
        // every user.
        QTest::newRow("read error where nothing can be renamed") << u"proc"_s;
    }
    void unreadableFileThatCannotBeMovedAsideIsNeverOverwritten()
    {
        QFETCH(QString, where);
        const QByteArray broken = "[{\"not\": \"quite";
        std::optional<SmallDisk> disk;
        QTemporaryDir dir;
        QString file = dir.filePath(u"Ovelin/clipboard_history.json"_s);
        std::function<bool()> mend = [] { return true; };
        if (where == u"read-only mount") {
            disk.emplace(u"1m"_s);
            REQUIRE_MOUNT(*disk);
            file = disk->path(u"clipboard_history.json"_s);
            QVERIFY(ovelin::test::writeFile(file, broken));
            QVERIFY(disk->remount(u"ro"_s));
            mend = [&disk] { return disk->remount(u"rw"_s); };
        } else if (where == u"locked folder") {
            if (::geteuid() == 0)
                QSKIP("root renames in a folder without write permission; the read-only disk row runs");
            QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
            QVERIFY(ovelin::test::writeFile(file, broken));
            const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
            QVERIFY(::chmod(folder.constData(), 0500) == 0);
            mend = [folder] { return ::chmod(folder.constData(), 0700) == 0; };
        } else {
            file = u"/proc/self/mem"_s;
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

    void readOnlyFolderLoadsAndSaysOnceItCannotSave()
    {
        SmallDisk disk(u"1m"_s);
        REQUIRE_MOUNT(disk);
        const QString file = disk.path(u"clipboard_history.json"_s);
        {
            ClipboardStorage::atPath(file)->save({textItem(u"kept"_s)});
        }
        QVERIFY(disk.remount(u"ro"_s));

        ovelin::test::PrintedLines printed;
        ClipboardHistory history(ClipboardStorage::atPath(file));
        QCOMPARE(history.history().size(), 1);
        addAndWait(history, u"one"_s);
        addAndWait(history, u"two"_s);
        QCOMPARE(printed.count(saveFailure), 1);
        QCOMPARE(history.history().size(), 3);
        QCOMPARE(savedTexts(file), QStringList{u"kept"_s});
        QVERIFY(disk.remount(u"rw"_s));
    }
};

OVELIN_TEST_GUILESS_MAIN(TestStorageFaults)
#include "tst_storagefaults.moc"
