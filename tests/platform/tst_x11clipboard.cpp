#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/CaptureGate.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/ClipboardService.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/X11TestSupport.h"
#include "platform/x11/X11Platform.h"

#include "history/HistoryFixtures.h"

using namespace Qt::StringLiterals;
using ovelin::test::copyWithXclip;
using ovelin::test::Helper;

namespace {

using fixtures::describe;

} // namespace

class TestX11Clipboard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    QString m_historyPath;

    QString fixture() const { return QStringLiteral(X11_FIXTURE); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        return ovelin::test::writeFile(path, bytes) ? path : QString();
    }
    QString topOfHistory() const
    {
        return m_history->history().isEmpty() ? u"empty"_s : describe(m_history->history().first());
    }
    // The history file as the next start would read it.
    QStringList historyFile()
    {
        m_history->storage().waitForPendingSaves();
        QStringList out;
        for (const ClipboardItem& item : ClipboardStorage::atPath(m_historyPath)->load())
            out << describe(item);
        return out;
    }
    QStringList historyList() const
    {
        QStringList out;
        for (const ClipboardItem& item : m_history->history())
            out << describe(item);
        return out;
    }

    // Copies a sentinel text and waits until it heads the history: everything copied before it
    // has been dealt with by then.
    bool copySentinel(const QString& text)
    {
        auto owner = copyWithXclip(m_dir, {}, text.toUtf8());
        if (!owner)
            return false;
        const QString expected = u"text:"_s + text + u"|rtf=-|html=-"_s;
        return QTest::qWaitFor([&] { return topOfHistory() == expected; }, 10000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!ovelin::test::onX11())
            QSKIP("needs an X server (run under Xvfb)");
    }
    void init()
    {
        static int n = 0;
        m_historyPath = m_dir.filePath(u"history-%1.json"_s.arg(++n));
        m_history = std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(m_historyPath));
        m_monitor =
            std::make_unique<ClipboardMonitor>(m_history.get(), *ovelin::x11::platformServices().clipboard);
        m_monitor->startMonitoring();
    }
    void cleanup()
    {
        m_monitor.reset();
        if (m_history)
            m_history->storage().waitForPendingSaves();
        m_history.reset();
    }

    void capturesWhatAnotherApplicationCopies()
    {
        const QByteArray png1 = ovelin::test::pngBytes(8, 8, Qt::red);
        const QByteArray png2 = ovelin::test::pngBytes(8, 8, Qt::blue);
        const QString blank = writeFile(u"blank.txt"_s, "  \n\t ");
        const QString image2 = writeFile(u"2.png"_s, png2);
        const QString plain = writeFile(u"plain.txt"_s, "Bold move");
        const QString rtf = writeFile(u"r.rtf"_s, "{\\rtf1 {\\b Bold} move}");
        const QString html = writeFile(u"h.html"_s, "<b>Bold</b> move");

        struct Copy
        {
            const char* what;
            std::function<std::unique_ptr<Helper>()> start;
            QString expected;
        };
        const QList<Copy> copies{
            {"plain text", [&] { return copyWithXclip(m_dir, {}, "Olá, mundo ✓ "); },
             u"text:Olá, mundo ✓ |rtf=-|html=-"_s},
            {"text with RTF and HTML",
             [&] {
                 auto owner = std::make_unique<Helper>(
                     fixture(), QStringList{u"own"_s, u"text/plain="_s + plain, u"text/rtf="_s + rtf,
                                            u"text/html="_s + html});
                 return owner->waitReady() ? std::move(owner) : nullptr;
             },
             u"text:Bold move|rtf={\\rtf1 {\\b Bold} move}|html=<b>Bold</b> move"_s},
            {"one file",
             [&] { return copyWithXclip(m_dir, u"text/uri-list"_s, "file:///tmp/one%20file.txt\r\n"); },
             u"file:file:///tmp/one file.txt"_s},
            {"three files",
             [&] {
                 return copyWithXclip(m_dir, u"text/uri-list"_s,
                                      "# copied\nfile:///tmp/c.txt\nfile:///tmp/a.txt\nfile:///tmp/b.txt\n");
             },
             u"group:file:///tmp/c.txt file:///tmp/a.txt file:///tmp/b.txt"_s},
            {"PNG", [&] { return copyWithXclip(m_dir, u"image/png"_s, png1); },
             u"image:"_s + QString::fromLatin1(png1.toBase64())},
            {"blank text with a PNG",
             [&] {
                 auto owner = std::make_unique<Helper>(
                     fixture(), QStringList{u"own"_s, u"text/plain="_s + blank, u"image/png="_s + image2});
                 return owner->waitReady() ? std::move(owner) : nullptr;
             },
             u"image:"_s + QString::fromLatin1(png2.toBase64())},
        };

        QStringList expectedOrder;
        for (const Copy& copy : copies) {
            QElapsedTimer clock;
            clock.start();
            auto owner = copy.start();
            QVERIFY2(owner, copy.what);
            QTRY_COMPARE_WITH_TIMEOUT(topOfHistory(), copy.expected, 10000);
            qInfo("%s captured after %lld ms", copy.what, clock.elapsed());
            expectedOrder.prepend(copy.expected);
        }
        QCOMPARE(historyList(), expectedOrder);
        QCOMPARE(historyFile(), expectedOrder);
    }

    void badInputNeitherCrashesNorStallsTheGuiThread()
    {
        QByteArray big;
        big.reserve(50 * 1024 * 1024);
        const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\n";
        while (big.size() + line.size() <= 50 * 1024 * 1024)
            big += line;
        QByteArray manyURLs;
        for (int i = 0; i < 10000; ++i)
            manyURLs += "file:///tmp/many/" + QByteArray::number(i) + ".txt\r\n";

        struct Case
        {
            const char* what;
            QString target;
            QByteArray bytes;
            std::function<bool(const ClipboardItem& top)> expect;
        };
        const QByteArray notAnImage("\x89PNG but not really");
        const QList<Case> cases{
            {"50 MB text",
             {},
             big,
             [&](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Text &&
                        top.type().text().size() == big.size();
             }},
            {"invalid UTF-8 as text/plain", u"text/plain"_s, QByteArray("ab\xff\xfe\xc3(cd"),
             [](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Text &&
                        top.type().text().startsWith(u"ab"_s) && top.type().text().endsWith(u"(cd"_s);
             }},
            {"10,000 file URLs", u"text/uri-list"_s, manyURLs,
             [](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::FileGroup &&
                        top.type().fileURLs().size() == 10000 &&
                        top.type().fileURLs().last() == QUrl(u"file:///tmp/many/9999.txt"_s);
             }},
            {"image bytes that are no image", u"image/png"_s, notAnImage,
             [&](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Image && top.type().imageData() == notAnImage;
             }},
        };
        auto topMatches = [this](const Case& c) {
            return !m_history->history().isEmpty() && c.expect(m_history->history().first());
        };

        for (const Case& c : cases) {
            auto owner = copyWithXclip(m_dir, c.target, c.bytes);
            QVERIFY2(owner, c.what);
            QTRY_VERIFY2_WITH_TIMEOUT(topMatches(c), c.what, 30000);
        }

        // Lines that are no URLs: nothing is captured; the sentinel lands right after the last entry.
        QStringList expected = historyList();
        {
            const QByteArray lines = "%%%\nnot a url\n\x01\x02\nhttp://\n::::\n";
            auto owner = copyWithXclip(m_dir, u"text/uri-list"_s, lines);
            QVERIFY(owner);
            // The sentinel must not overtake it.
            QVERIFY(QTest::qWaitFor(
                [&] {
                    QProcess out;
                    out.start(u"xclip"_s,
                              {u"-o"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, u"text/uri-list"_s});
                    return out.waitForFinished(10000) && out.readAllStandardOutput() == lines;
                },
                10000));
            QVERIFY(copySentinel(u"after the bad URLs"_s));
        }
        expected.prepend(u"text:after the bad URLs|rtf=-|html=-"_s);
        QCOMPARE(historyList(), expected);
        QCOMPARE(historyFile(), expected);
    }

    void passwordManagerContentIsNeverCaptured()
    {
        const QString secret = writeFile(u"secret.txt"_s, "correct horse battery staple");
        const QString hint = writeFile(u"hint.txt"_s, "secret");
        const QStringList before = historyList();
        Helper owner(fixture(),
                     {u"own"_s, u"text/plain="_s + secret, u"x-kde-passwordManagerHint="_s + hint});
        QVERIFY(owner.waitReady());
        QVERIFY(copySentinel(u"after the secret"_s));
        QCOMPARE(historyList(), QStringList{u"text:after the secret|rtf=-|html=-"_s} + before);
    }

    void ignoredApplicationsAndOversizedCopiesAreNotCaptured()
    {
        CaptureGate gate;
        gate.setIgnoredApplications({u"KeePassXC"_s});
        gate.setMaxItemSizeMB(1);
        m_monitor->setGate(&gate);
        FrontmostApplicationService* frontmost = ovelin::x11::platformServices().frontmostApplication;
        m_monitor->setFrontmostApplication([frontmost]() -> std::optional<QString> {
            const auto app = frontmost->frontmostApplication();
            return app ? app->identifier : std::nullopt;
        });
        ovelin::test::PrintedLines lines;
        const QString secret = writeFile(u"secret.txt"_s, "from the vault");
        const QString big = writeFile(u"big.txt"_s, QByteArray(2 << 20, 'x'));
        const QString plain = writeFile(u"plain.txt"_s, "from the editor");
        // Each copy is followed by one from another application, which must arrive after it.
        const auto copyThenFromEditor = [&](const QStringList& args, const QString& sentinel) {
            Helper owner(fixture(), args);
            if (!owner.waitReady())
                return false;
            Helper editor(fixture(), {u"own"_s, u"--class"_s, u"Gedit"_s, u"text/plain="_s + sentinel});
            return editor.waitReady() &&
                   QTest::qWaitFor([&] { return topOfHistory() == u"text:from the editor|rtf=-|html=-"_s; },
                                   10000);
        };
        QVERIFY(
            copyThenFromEditor({u"own"_s, u"--class"_s, u"keepassxc"_s, u"text/plain="_s + secret}, plain));
        QVERIFY(copyThenFromEditor({u"own"_s, u"--class"_s, u"Gedit"_s, u"text/plain="_s + big}, plain));
        QCOMPARE(historyList(), QStringList{u"text:from the editor|rtf=-|html=-"_s});
        QCOMPARE(lines.lines().filter(u"⚠️ Cópia não capturada"_s),
                 QStringList{u"⚠️ Cópia não capturada: texto de 2.0 MB, acima do limite de 1 MB"_s});

        // An owner that names no application: the one in front decides.
        {
            Helper vault(fixture(), {u"paste-target"_s, u"--class"_s, u"KeePassXC"_s, u"--out"_s,
                                     m_dir.filePath(u"keys.txt"_s)});
            QVERIFY(vault.waitReady());
            QTRY_VERIFY_WITH_TIMEOUT(frontmost->frontmostApplication() &&
                                         frontmost->frontmostApplication()->identifier == u"KeePassXC"_s,
                                     10000);
            auto copy = copyWithXclip(m_dir, {}, "typed in the vault");
            QVERIFY(copy);
            Helper editor(fixture(), {u"own"_s, u"--class"_s, u"Gedit"_s, u"text/plain="_s + secret});
            QVERIFY(editor.waitReady());
            QTRY_COMPARE_WITH_TIMEOUT(topOfHistory(), u"text:from the vault|rtf=-|html=-"_s, 10000);
        }
        QVERIFY(copySentinel(u"typed in the vault"_s)); // the same copy, nothing ignored in front
        QCOMPARE(historyList().size(), 3);
        m_monitor->setGate(&CaptureGate::shared());
    }

    void quickCopiesAreAllCapturedNewestFirst()
    {
        Helper owner(fixture(), {u"burst"_s, u"20"_s, u"100"_s});
        QVERIFY(owner.waitReady());
        QStringList expected;
        for (int i = 20; i >= 1; --i)
            expected << u"text:burst %1|rtf=-|html=-"_s.arg(i);
        QTRY_COMPARE_WITH_TIMEOUT(historyList(), expected, 20000);
        QCOMPARE(historyFile(), expected);
    }

    void misbehavingOwnerCostsAtMostOneLine_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("captured"); // empty: nothing
        QTest::addColumn<QString>("warning");  // the start of the one line it costs; empty: none

        const QString unanswered = u"⚠️ A aplicação dona da área de transferência não respondeu"_s;
        QTest::newRow("never answers") << u"hang"_s << QString() << unanswered;
        QTest::newRow("dies when asked for the data") << u"die"_s << QString() << QString();
        QTest::newRow("starts an incremental transfer and stops")
            << u"incr-stop"_s << QString() << unanswered;
        QTest::newRow("announces a size it does not keep to")
            << u"incr-lie"_s << u"text:"_s + QString(100'000, u'x') + u"|rtf=-|html=-"_s << QString();
        // Each unknown format used to cost a request for its name: a million of them, seconds of
        // the reader's time (and of quitting, which waits for it) and their names in memory.
        QTest::newRow("offers a million formats")
            << u"many-targets"_s << u"text:offered among a million formats|rtf=-|html=-"_s
            << u"⚠️ A aplicação dona da área de transferência oferece 1000000 formatos: só os primeiros 1024"_s;
    }
    void misbehavingOwnerCostsAtMostOneLine()
    {
        QFETCH(QString, mode);
        QFETCH(QString, captured);
        QFETCH(QString, warning);
        QStringList expected = historyList();
        ovelin::test::PrintedLines lines;
        {
            Helper owner(fixture(), mode == u"hang" ? QStringList{mode} : QStringList{u"misbehave"_s, mode});
            QVERIFY(owner.waitReady());
            if (!captured.isEmpty()) {
                QTRY_COMPARE_WITH_TIMEOUT(topOfHistory(), captured, 10000);
                expected.prepend(captured);
            }
            if (!warning.isEmpty())
                QTRY_COMPARE_WITH_TIMEOUT(lines.count(warning), 1, 10000);
            // The next copy, while the misbehaving owner is still around, is captured normally.
            QVERIFY(copySentinel(u"after %1"_s.arg(mode)));
        }
        expected.prepend(u"text:after %1|rtf=-|html=-"_s.arg(mode));
        QCOMPARE(historyList(), expected);
        QCOMPARE(historyFile(), expected);
        QVERIFY2(lines.count(u"⚠️"_s) <= 1, qPrintable(lines.lines().join(u'\n')));
    }
};

OVELIN_TEST_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"
