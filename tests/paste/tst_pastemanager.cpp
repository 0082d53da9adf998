#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "PrintedLines.h"
#include "ScopedEnvironment.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "core/Settings.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"
#include "platform/fake/FakeClipboardService.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeKeyEventPoster.h"
#include "platform/fake/FakeSoundPlayer.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ClipboardItem)

namespace {

const QString richKey = QString(SettingsKey::useRichTextPaste);
using Formats = QList<std::pair<QString, QByteArray>>;
const auto pngBytes = [] { return ovelin::test::pngBytes(4, 3); };

FrontmostApplication app(std::optional<QString> identifier, std::optional<qint64> pid = std::nullopt)
{
    return FrontmostApplication{42, std::move(identifier), std::nullopt, pid};
}

} // namespace

class TestPasteManager : public QObject
{
    Q_OBJECT

    FakeClipboardService m_clipboard;
    FakeFrontmostApplicationService m_frontmost;
    FakeKeyEventPoster m_keys;
    FakeSoundPlayer m_sound;
    QTemporaryDir m_tmp;
    std::optional<ovelin::test::ScopedEnvironment> m_environment; // for one case

    PasteManager& manager() { return PasteManager::shared(); }

private Q_SLOTS:
    // The keystroke waits for the focus to come back; the tests do not wait the real 0.2 s for it.
    void initTestCase() { PasteSequence::shared().setPasteDelay(std::chrono::milliseconds(1)); }
    void init()
    {
        m_clipboard = FakeClipboardService();
        m_frontmost = FakeFrontmostApplicationService();
        m_keys = FakeKeyEventPoster();
        m_sound = FakeSoundPlayer();
        PasteManager::installServices({&m_clipboard, &m_frontmost, &m_keys, &m_sound});
        Settings::shared().remove(richKey);
        Settings::shared().remove(QString(SettingsKey::playClickSound));
        // A case that failed half-way leaves no handler of its own behind.
        PasteSequence::shared().setHideApplicationHandler({});
        m_environment.emplace().set("TMPDIR", m_tmp.path().toUtf8());
        manager().removeTemporaryImages();
    }
    void cleanup()
    {
        manager().removeTemporaryImages();
        m_environment.reset();
    }

    QString pastedImagePath(const ClipboardItem& item)
    {
        manager().copyToPasteboard(item);
        const QUrl url(QString::fromUtf8(m_clipboard.lastWritten().formats.value(0).second.trimmed()));
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }

    void writesTheItemsRepresentations_data()
    {
        QTest::addColumn<ClipboardItem>("item");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<QString>("contentType");

        const ClipboardItem both(ClipboardItemType::text(u"Olá"_s), QByteArray("{\\rtf1 Ol}"),
                                 QByteArray("<p>Olá</p>"));
        const ClipboardItem htmlOnly(ClipboardItemType::text(u"x"_s), std::nullopt, QByteArray("<i>x</i>"));
        const std::pair<QString, QByteArray> plainOla{u"text/plain"_s, "Olá"}, plainX{u"text/plain"_s, "x"};
        QTest::newRow("rich text on: RTF and plain, never HTML")
            << both << true << Formats{{u"text/rtf"_s, "{\\rtf1 Ol}"}, plainOla} << u"text"_s;
        QTest::newRow("rich text off: plain only") << both << false << Formats{plainOla} << u"text"_s;
        QTest::newRow("HTML when there is no RTF")
            << htmlOnly << true << Formats{{u"text/html"_s, "<i>x</i>"}, plainX} << u"text"_s;
        // Asked for plain text (Shift+Return): no rich form even with rich text on.
        QTest::newRow("plain-text paste of an HTML item")
            << htmlOnly << true << Formats{plainX} << u"plain text"_s;
        QTest::newRow("one file") << ClipboardItem(ClipboardItemType::file(QUrl(u"file:///tmp/a%20b.txt"_s)))
                                  << true
                                  << Formats{{u"text/uri-list"_s, "file:///tmp/a%20b.txt\r\n"},
                                             {u"x-special/gnome-copied-files"_s,
                                              "copy\nfile:///tmp/a%20b.txt"}}
                                  << u"file"_s;
        // In the group's order in both forms.
        QTest::newRow("file group")
            << ClipboardItem(ClipboardItemType::fileGroup(
                   {QUrl::fromLocalFile(u"/tmp/z é.txt"_s), QUrl(u"file:///tmp/a.txt"_s)}))
            << true
            << Formats{{u"text/uri-list"_s, "file:///tmp/z%20%C3%A9.txt\r\nfile:///tmp/a.txt\r\n"},
                       {u"x-special/gnome-copied-files"_s,
                        "copy\nfile:///tmp/z%20%C3%A9.txt\nfile:///tmp/a.txt"}}
            << u"group"_s;
    }
    void writesTheItemsRepresentations()
    {
        QFETCH(ClipboardItem, item);
        QFETCH(bool, rich);
        QFETCH(Formats, formats);
        QFETCH(QString, contentType);
        Settings::shared().setValue(richKey, rich);
        ovelin::test::PrintedLines lines;
        const bool plainText = contentType == u"plain text";

        manager().copyToPasteboard(item, plainText);

        QCOMPARE(m_clipboard.writeCount(), 1); // one write: the representations go together
        QCOMPARE(m_clipboard.lastWritten().formats, formats);
        QCOMPARE(manager().lastCopiedContentType(),
                 std::optional<QString>(plainText ? u"text"_s : contentType));
        QCOMPARE(lines.lines(), QStringList{u"📋 Conteúdo copiado para a área de transferência"_s});
    }

    void imageGoesThroughAPrivateTemporaryFile_data()
    {
        QTest::addColumn<bool>("runtimeFolder");
        QTest::newRow("in the runtime folder") << true;
        QTest::newRow("in a folder of the user's own in the temporary folder") << false;
    }
    void imageGoesThroughAPrivateTemporaryFile()
    {
        QFETCH(bool, runtimeFolder);
        const QString runtime = m_tmp.filePath(u"runtime"_s);
        QDir().mkpath(runtime);
        m_environment->set("XDG_RUNTIME_DIR", runtimeFolder ? runtime.toUtf8() : QByteArray());
        const QString folder = runtimeFolder ? runtime + u"/Ovelin"_s
                                             : m_tmp.filePath(u"Ovelin-"_s + QString::number(::getuid()));

        const QByteArray bytes = QByteArray("not even an image \x00\x01\x02", 21);
        const QString path = pastedImagePath(ClipboardItem(ClipboardItemType::image(bytes)));
        QCOMPARE(manager().lastCopiedContentType(), std::optional<QString>(u"image"_s));
        const QFileInfo info(path);
        QCOMPARE(info.absolutePath(), QDir(folder).absolutePath());
        QCOMPARE(QFileInfo(folder).permissions() & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(QRegularExpression(u"^Ovelin_Image_[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.png$"_s)
                    .match(info.fileName())
                    .hasMatch());
        QCOMPARE(ovelin::test::readFile(path), bytes); // unchanged, whatever the extension says
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
    }

    // Regression: pasted images stayed in the shared temporary folder for good, after "Clear
    // history" too. (Their removal at quit is tst_startup's.)
    void pastedImagesLiveAsLongAsTheirItems()
    {
        const ClipboardItem older(ClipboardItemType::image(pngBytes()));
        const ClipboardItem newer(ClipboardItemType::image(pngBytes()));
        const QString olderFile = pastedImagePath(older);
        const QString newerFile = pastedImagePath(newer);
        const QDateTime now = QDateTime::currentDateTimeUtc();

        manager().releaseTemporaryImages({older, newer}, now);
        QVERIFY(QFile::exists(olderFile) && QFile::exists(newerFile));
        // Both items deleted: the newest image stays a while for the application it was pasted into.
        manager().releaseTemporaryImages({}, now);
        QVERIFY(!QFile::exists(olderFile));
        QVERIFY(QFile::exists(newerFile));
        manager().releaseTemporaryImages({}, now.addSecs(PasteManager::newestImageGraceSeconds));
        QVERIFY(!QFile::exists(newerFile));
    }

    void imageFallsBackToAnImageObjectWhenNoFileCanBeWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("expectImage");
        QTest::addColumn<QString>("runtimeFolder");
        QTest::addColumn<QString>("temporaryFolder");
        QTest::newRow("decodable bytes") << pngBytes() << true << QString() << u"not-a-folder"_s;
        QTest::newRow("bytes that are no image leave the clipboard empty")
            << QByteArray("garbage") << false << QString() << u"not-a-folder"_s;
        // Regression: a TMPDIR that does not exist once sent the file to the working directory.
        QTest::newRow("missing temporary folder") << pngBytes() << true << QString() << u"missing"_s;
        QTest::newRow("runtime folder not writable") << pngBytes() << true << u"not-a-folder"_s << QString();
        QTest::newRow("a link where Ovelin's folder should be")
            << pngBytes() << true << u"linked"_s << QString();
    }
    void imageFallsBackToAnImageObjectWhenNoFileCanBeWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, expectImage);
        QFETCH(QString, runtimeFolder);
        QFETCH(QString, temporaryFolder);
        // A regular file where the folder should be: not writable, even for root.
        QFile(m_tmp.filePath(u"not-a-folder"_s)).open(QIODevice::WriteOnly);
        QDir().mkpath(m_tmp.filePath(u"linked"_s));
        QDir().mkpath(m_tmp.filePath(u"elsewhere"_s));
        QFile::link(m_tmp.filePath(u"elsewhere"_s), m_tmp.filePath(u"linked/Ovelin"_s));
        const auto folder = [this](const QString& name) {
            return name.isEmpty() ? QByteArray() : m_tmp.filePath(name).toUtf8();
        };
        m_environment->set("XDG_RUNTIME_DIR", folder(runtimeFolder));
        m_environment->set("TMPDIR", folder(temporaryFolder));
        const QStringList before = QDir::current().entryList({u"Ovelin_Image_*"_s});
        ovelin::test::PrintedLines lines;

        manager().copyToPasteboard(ClipboardItem(ClipboardItemType::image(bytes)));

        QCOMPARE(lines.count(u"⚠️ Erro ao salvar imagem temporária: "_s), 1);
        QCOMPARE(lines.count(u"📋 Conteúdo copiado para a área de transferência"_s), 1);
        QCOMPARE(m_clipboard.writeCount(), 1);
        QVERIFY(m_clipboard.lastWritten().formats.isEmpty());
        QCOMPARE(m_clipboard.lastWritten().image.has_value(), expectImage);
        if (expectImage)
            QCOMPARE(m_clipboard.lastWritten().image->size(), QSize(4, 3));
        QCOMPARE(QDir::current().entryList({u"Ovelin_Image_*"_s}), before);
        QVERIFY(QDir(m_tmp.filePath(u"elsewhere"_s)).isEmpty());
    }

    void pastesWithTheKeystrokeOfTheFrontmostApplication_data()
    {
        QTest::addColumn<QVariant>("frontmost"); // invalid: no frontmost application
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QList<PasteKeystroke>>("keystrokes");
        QTest::addColumn<QStringList>("expectedLines");

        QTest::newRow("no frontmost application")
            << QVariant() << QString() << QList<PasteKeystroke>()
            << QStringList{u"🚫 Não foi possível identificar o app em foco."_s};
        // An editor and named terminals ("XTerm" against the list's "xterm") are pasted into for
        // real by tst_clipboardconformance.
        QTest::newRow("terminal without a name")
            << QVariant::fromValue(app(u"kitty"_s)) << QString() << QList{PasteKeystroke::ShiftInsert}
            << QStringList{u"📦 App em foco: kitty"_s, u"↩️ Usando fallback (XTEST Shift+Insert)"_s,
                           u"✅ Paste via XTEST Shift+Insert executado no app: AppDesconhecido"_s};
        QTest::newRow("window without class or pid")
            << QVariant::fromValue(app(std::nullopt)) << QString() << QList{PasteKeystroke::ControlV}
            << QStringList{u"📦 App em foco: desconhecido"_s, u"🚀 Usando paste via XTEST"_s,
                           u"✅ Paste via XTEST para PID: desconhecido"_s};
        QTest::newRow("a keystroke that could not be posted is no success")
            << QVariant::fromValue(app(u"Mousepad"_s, 1)) << u"no XTEST"_s << QList<PasteKeystroke>()
            << QStringList{u"📦 App em foco: Mousepad"_s, u"🚀 Usando paste via XTEST"_s,
                           u"❌ XTEST falhou: no XTEST"_s};
    }
    void pastesWithTheKeystrokeOfTheFrontmostApplication()
    {
        QFETCH(QVariant, frontmost);
        QFETCH(QString, failure);
        QFETCH(QList<PasteKeystroke>, keystrokes);
        QFETCH(QStringList, expectedLines);
        if (frontmost.isValid())
            m_frontmost.setFrontmostApplication(frontmost.value<FrontmostApplication>());
        m_keys.setFailure(failure);
        manager().copyToPasteboard(ClipboardItem(ClipboardItemType::text(u"echo hi"_s)));
        ovelin::test::PrintedLines lines;

        manager().performPaste();

        QCOMPARE(m_keys.posted(), keystrokes);
        QCOMPARE(lines.lines(), expectedLines);
    }

    // The paste sequence: the window hidden once the clipboard is written, then the keystroke.
    void sequenceRunsItsStepsInOrder_data()
    {
        QTest::addColumn<int>("origin");
        QTest::addColumn<bool>("soundSetting");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("row click plays Blow") << int(PasteOrigin::RowClick) << true << QStringList{u"Blow"_s};
        QTest::newRow("row click, sound off") << int(PasteOrigin::RowClick) << false << QStringList();
        QTest::newRow("keyboard never plays") << int(PasteOrigin::Keyboard) << true << QStringList();
        // Without a handler of the application's, Ovelin's own windows are hidden.
        QTest::newRow("default handler") << int(PasteOrigin::Keyboard) << true << QStringList();
    }
    void sequenceRunsItsStepsInOrder()
    {
        QFETCH(int, origin);
        QFETCH(bool, soundSetting);
        QFETCH(QStringList, sounds);
        Settings::shared().setValue(QString(SettingsKey::playClickSound), soundSetting);
        m_frontmost.setFrontmostApplication(app(u"Mousepad"_s, 99));
        PasteSequence& sequence = PasteSequence::shared();
        const bool defaultHandler = QByteArray(QTest::currentDataTag()) == "default handler";
        QStringList steps;
        QWidget panel;
        if (defaultHandler) {
            panel.show();
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
        } else {
            sequence.setHideApplicationHandler([&] {
                steps << u"hide, clipboard written %1, keys %2"_s.arg(m_clipboard.writeCount())
                             .arg(m_keys.posted().size());
            });
        }
        QSignalSpy performed(&sequence, &PasteSequence::pastePerformed);

        sequence.paste(ClipboardItem(ClipboardItemType::text(u"hello"_s)), static_cast<PasteOrigin>(origin));

        QCOMPARE(m_sound.played(), sounds);
        QCOMPARE(steps, defaultHandler ? QStringList() : QStringList{u"hide, clipboard written 1, keys 0"_s});
        QVERIFY(!panel.isVisible());
        QVERIFY(m_keys.posted().isEmpty()); // the paste waits for the focus to come back
        QVERIFY(performed.wait(10000));
        QCOMPARE(m_keys.posted(), QList<PasteKeystroke>{PasteKeystroke::ControlV});
        QCOMPARE(performed.first().first().toString(), u"text"_s);
    }

    void cleanupTestCase()
    {
        PasteManager::installServices({});
        PasteSequence::shared().setPasteDelay(std::chrono::milliseconds(PasteSequence::pasteDelayMs));
    }
};

OVELIN_TEST_MAIN(TestPasteManager)
#include "tst_pastemanager.moc"
