// The clipboard, paste and front-window behaviour every backend owes, built once per backend
// (tst_clipboardconformance_<backend>) against the other applications of its BackendFixture.

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "BackendFixture.h"
#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "history/CaptureGate.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryFixtures.h"
#include "paste/PasteManager.h"
#include "platform/ClipboardService.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/KeyEventPoster.h"

using namespace Qt::StringLiterals;
using ovelin::test::Formats;

namespace {

constexpr int generousMs = 30000;

QString text(const QString& s)
{
    return u"text:"_s + s + u"|rtf=-|html=-"_s;
}

QString image(const QByteArray& bytes)
{
    return u"image:"_s + QString::fromLatin1(bytes.toBase64());
}

// Long entries shortened, so that a failure prints something readable.
QString shortened(const QString& entry)
{
    return entry.size() > 300 ? entry.left(200) + u"… (%1)"_s.arg(entry.size()) : entry;
}

QString warnings(const ovelin::test::PrintedLines& lines)
{
    return lines.lines().filter(u"⚠️"_s).join(u'\n');
}

} // namespace

class TestClipboardConformance : public QObject
{
    Q_OBJECT

    std::unique_ptr<ovelin::test::BackendFixture> m_backend;
    QTemporaryDir m_dir;
    QString m_historyPath;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<ClipboardMonitor> m_monitor;

    ClipboardService& clipboard() { return *m_backend->services().clipboard; }
    FrontmostApplicationService& frontmost() { return *m_backend->services().frontmostApplication; }

    QStringList historyList() const
    {
        QStringList out;
        for (const ClipboardItem& item : m_history->history())
            out << shortened(fixtures::describe(item));
        return out;
    }
    QString top() const { return historyList().value(0, u"empty"_s); }

    // Another application copies a text: once it heads the history, every copy made before it
    // has been dealt with.
    bool copySentinel(const QString& s)
    {
        return m_backend->copy({{u"text/plain"_s, s.toUtf8()}}) &&
               QTest::qWaitFor([&] { return top() == text(s); }, generousMs);
    }

    std::optional<FrontmostApplication> waitForFront(const QString& identifier)
    {
        const bool found = QTest::qWaitFor(
            [&] {
                const auto app = frontmost().frontmostApplication();
                return app && app->identifier == identifier;
            },
            generousMs);
        return found ? frontmost().frontmostApplication() : std::nullopt;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_backend = ovelin::test::makeBackendFixture();
        if (const QString reason = m_backend->unavailable(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        PasteManager::installServices(m_backend->services());
        qputenv("TMPDIR", m_dir.path().toUtf8());
    }
    void init()
    {
        const QString why = m_backend->cannotPlay(QString::fromUtf8(QTest::currentTestFunction()),
                                                  QString::fromUtf8(QTest::currentDataTag()));
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        static int n = 0;
        m_historyPath = m_dir.filePath(u"history-%1.json"_s.arg(++n));
        m_history = std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(m_historyPath));
        clipboard().write({}); // nothing left over from the case before
        m_monitor = std::make_unique<ClipboardMonitor>(m_history.get(), clipboard());
        m_monitor->startMonitoring();
    }
    void cleanup()
    {
        m_backend->cleanup();
        m_monitor.reset();
        if (m_history)
            m_history->storage().waitForPendingSaves();
        m_history.reset();
    }
    void cleanupTestCase() { PasteManager::installServices({}); }

    void capturesEachCopyOnce_data()
    {
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<QString>("captured"); // empty: nothing
        QTest::addColumn<int>("capMB");        // the largest item kept; 0: the default
        QTest::addColumn<QString>("warning");

        const QByteArray png = ovelin::test::pngBytes(8, 8, Qt::red);
        QByteArray manyURLs = "# copied\n";
        QStringList manyNames;
        for (int i = 0; i < 10000; ++i) {
            manyNames << u"file:///tmp/many/%1.txt"_s.arg(i);
            manyURLs += manyNames.constLast().toLatin1() + "\r\n";
        }
        QByteArray big;
        while (big.size() < 50'000'000)
            big += "The quick brown fox jumps over the lazy dog 0123456789.\n";

        QTest::newRow("text") << Formats{{u"text/plain"_s, "Olá, mundo ✓ "}} << text(u"Olá, mundo ✓ "_s) << 0
                              << QString();
        QTest::newRow("text with RTF and HTML")
            << Formats{{u"text/plain"_s, "Bold move"},
                       {u"text/rtf"_s, "{\\rtf1 {\\b Bold} move}"},
                       {u"text/html"_s, "<b>Bold</b> move"}}
            << u"text:Bold move|rtf={\\rtf1 {\\b Bold} move}|html=<b>Bold</b> move"_s << 0 << QString();
        QTest::newRow("invalid UTF-8") << Formats{{u"text/plain"_s, "ab\xff\xfe\xc3(cd"}}
                                       << text(QString::fromUtf8("ab\xff\xfe\xc3(cd")) << 0 << QString();
        QTest::newRow("one file") << Formats{{u"text/uri-list"_s, "file:///tmp/one%20file.txt\r\n"}}
                                  << u"file:file:///tmp/one file.txt"_s << 0 << QString();
        QTest::newRow("10,000 files and a comment") << Formats{{u"text/uri-list"_s, manyURLs}}
                                                    << u"group:"_s + manyNames.join(u' ') << 0 << QString();
        QTest::newRow("lines that are no URLs")
            << Formats{{u"text/uri-list"_s, "%%%\nnot a url\n\x01\x02\nhttp://\n::::\n"}} << QString() << 0
            << QString();
        QTest::newRow("PNG") << Formats{{u"image/png"_s, png}} << image(png) << 0 << QString();
        QTest::newRow("blank text with a PNG")
            << Formats{{u"text/plain"_s, "  \n\t "}, {u"image/png"_s, png}} << image(png) << 0 << QString();
        QTest::newRow("image bytes that are no image") << Formats{{u"image/png"_s, "\x89PNG but not really"}}
                                                       << image("\x89PNG but not really") << 0 << QString();
        QTest::newRow("password manager")
            << Formats{{u"text/plain"_s, "correct horse"}, {u"x-kde-passwordManagerHint"_s, "secret"}}
            << QString() << 0 << QString();
        QTest::newRow("50 MB text") << Formats{{u"text/plain"_s, big}} << text(QString::fromLatin1(big)) << 0
                                    << QString();
        QTest::newRow("format over 64 MiB")
            << Formats{{u"image/png"_s, QByteArray((64 << 20) + 1, 'x')}} << QString() << 0
            << u"⚠️ Formato “image/png” da área de transferência ignorado: maior que 64 MiB"_s;
        QTest::newRow("text over the size cap")
            << Formats{{u"text/plain"_s, QByteArray(2 << 20, 'x')}} << QString() << 1
            << u"⚠️ Cópia não capturada: texto de 2.0 MB, acima do limite de 1 MB"_s;
    }
    void capturesEachCopyOnce()
    {
        QFETCH(Formats, formats);
        QFETCH(QString, captured);
        QFETCH(int, capMB);
        QFETCH(QString, warning);
        CaptureGate gate;
        if (capMB) {
            gate.setMaxItemSizeMB(capMB);
            m_monitor->setGate(&gate);
        }
        ovelin::test::PrintedLines lines;

        QVERIFY(m_backend->copy(formats));
        // Read before the next copy replaces it.
        if (!captured.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(top(), shortened(captured), generousMs);
        if (!warning.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(warnings(lines), warning, generousMs);
        // Each row's own: a new monitor may start on the previous row's sentinel, still owned.
        const QString sentinel = u"after "_s + QString::fromUtf8(QTest::currentDataTag());
        QVERIFY(copySentinel(sentinel));

        QStringList expected{text(sentinel)};
        if (!captured.isEmpty())
            expected << shortened(captured);
        QCOMPARE(historyList(), expected);
        QCOMPARE(warnings(lines), warning);
        m_monitor->setGate(&CaptureGate::shared());
    }

    void unresponsiveOwnerCostsOneTimeOut()
    {
        ovelin::test::PrintedLines lines;
        QVERIFY(m_backend->copyFromUnresponsiveOwner());
        QTRY_COMPARE_WITH_TIMEOUT(
            lines.count(u"⚠️ A aplicação dona da área de transferência não respondeu"_s), 1,
            generousMs);
        // The next copy, while the owner is still around, is captured normally.
        QVERIFY(copySentinel(u"after the silent owner"_s));
        QCOMPARE(historyList(), QStringList{text(u"after the silent owner"_s)});
        QCOMPARE(lines.count(u"⚠️"_s), 1);
    }

    void quickCopiesAreAllCapturedNewestFirst()
    {
        QVERIFY(m_backend->burst(20));
        QStringList expected;
        for (int i = 20; i >= 1; --i)
            expected << text(u"burst %1"_s.arg(i));
        QTRY_COMPARE_WITH_TIMEOUT(historyList().join(u", "_s), expected.join(u", "_s), generousMs);
        m_history->storage().waitForPendingSaves();
        QStringList file;
        for (const ClipboardItem& item : ClipboardStorage::atPath(m_historyPath)->load())
            file << fixtures::describe(item);
        QCOMPARE(file, expected);
    }

    void othersReadWhatIsWritten_data()
    {
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<bool>("picture"); // an image object besides the formats
        QTest::addColumn<bool>("primary");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("read");  // for an image: whether it decodes to the picture
        QTest::addColumn<QString>("captured"); // Ovelin's write coming back; empty: nothing

        const Formats files{
            {u"text/uri-list"_s, "file:///tmp/a%20b.txt\r\nfile:///tmp/c.txt\r\n"},
            {u"x-special/gnome-copied-files"_s, "copy\nfile:///tmp/a%20b.txt\nfile:///tmp/c.txt"}};
        QTest::newRow("text") << Formats{{u"text/plain"_s, "Olá ✓"}} << false << false << u"text/plain"_s
                              << QByteArray("Olá ✓") << text(u"Olá ✓"_s);
        QTest::newRow("HTML") << Formats{{u"text/html"_s, "<i>it</i>"}, {u"text/plain"_s, "it"}} << false
                              << false << u"text/html"_s << QByteArray("<i>it</i>")
                              << u"text:it|rtf=-|html=<i>it</i>"_s;
        QTest::newRow("RTF") << Formats{{u"text/rtf"_s, "{\\rtf1 it}"}, {u"text/plain"_s, "it"}} << false
                             << false << u"text/rtf"_s << QByteArray("{\\rtf1 it}")
                             << u"text:it|rtf={\\rtf1 it}|html=-"_s;
        QTest::newRow("files as a URI list")
            << files << false << false << u"text/uri-list"_s << files.at(0).second
            << u"group:file:///tmp/a b.txt file:///tmp/c.txt"_s;
        QTest::newRow("files for file managers")
            << files << false << false << u"x-special/gnome-copied-files"_s << files.at(1).second
            << u"group:file:///tmp/a b.txt file:///tmp/c.txt"_s;
        QTest::newRow("image as PNG")
            << Formats() << true << false << u"image/png"_s << QByteArray("the picture")
            << image(ovelin::test::pngBytes(8, 8, Qt::darkCyan));
        QTest::newRow("primary selection") << Formats{{u"text/plain"_s, "middle click"}} << false << true
                                           << u"text/plain"_s << QByteArray("middle click") << QString();
        QTest::newRow("cleared") << Formats() << false << false << u"text/plain"_s << QByteArray()
                                 << QString();
    }
    void othersReadWhatIsWritten()
    {
        QFETCH(Formats, formats);
        QFETCH(bool, picture);
        QFETCH(bool, primary);
        QFETCH(QString, format);
        QFETCH(QByteArray, read);
        QFETCH(QString, captured);
        ovelin::test::PrintedLines lines;
        QImage darkCyan(8, 8, QImage::Format_RGB32);
        darkCyan.fill(Qt::darkCyan);

        ClipboardContent content{formats, {}};
        if (picture)
            content.image = darkCyan;
        if (primary)
            clipboard().writePrimarySelection(content);
        else
            clipboard().write(content);

        QByteArray out = m_backend->paste(format, primary);
        if (picture && QImage::fromData(out).convertToFormat(QImage::Format_RGB32) == darkCyan)
            out = "the picture";
        QCOMPARE(out, read);
        // Ovelin's own write comes back as a copy.
        if (!captured.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(top(), captured, generousMs);
        QVERIFY(copySentinel(u"after writing"_s));
        QStringList expected{text(u"after writing"_s)};
        if (!captured.isEmpty())
            expected << captured;
        QCOMPARE(historyList(), expected);
        QCOMPARE(warnings(lines), QString());
    }

    // The front window's application, and the paste into it with the keystroke it binds.
    void pastesIntoTheFrontWindow_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<bool>("image"); // pasted as a temporary file
        QTest::newRow("ordinary window") << u"org.example.Editor"_s << false << false;
        QTest::newRow("terminal") << u"foot"_s << true << false;
        QTest::newRow("image") << u"org.example.Viewer"_s << false << true;
    }
    void pastesIntoTheFrontWindow()
    {
        QFETCH(QString, identifier);
        QFETCH(bool, terminal);
        QFETCH(bool, image);
        const QString title = u"Title of "_s + identifier;
        auto window = m_backend->openWindow(identifier, title);
        QVERIFY(window);
        const auto front = waitForFront(identifier);
        QVERIFY(front);
        QCOMPARE(front->name, title);
        QCOMPARE(front->processIdentifier, window->pid());
        const KeyEventPoster& keys = *m_backend->services().keyEventPoster;
        const QString keystroke =
            pasteKeystrokeName(terminal ? keys.terminalPasteKeystroke() : PasteKeystroke::ControlV);
        QString pasted = u"Grüße aus Ovelin, %1"_s.arg(identifier);
        const QByteArray png = ovelin::test::pngBytes(6, 5, Qt::darkCyan);
        PasteManager::shared().copyToPasteboard(
            ClipboardItem(image ? ClipboardItemType::image(png) : ClipboardItemType::text(pasted)));
        ovelin::test::PrintedLines lines;

        bool done = false;
        PasteManager::shared().performPaste([&done] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, generousMs);
        QTRY_COMPARE_WITH_TIMEOUT(window->keys(), QStringList{keystroke}, generousMs);
        QTRY_COMPARE_WITH_TIMEOUT(window->pastedTexts().size(), 1, generousMs);
        if (image) {
            const QUrl url(window->pastedTexts().constFirst());
            QVERIFY2(url.isLocalFile() && url.fileName().startsWith(u"Ovelin_Image_"_s),
                     qPrintable(url.toString()));
            QCOMPARE(ovelin::test::readFile(url.toLocalFile()), png);
            pasted = url.toString();
        }
        QCOMPARE(window->pastedTexts(), QStringList{pasted});
        QVERIFY2(lines.lines().contains(u"📦 App em foco: "_s + identifier),
                 qPrintable(lines.lines().join(u'\n')));
        const QStringList outcome = lines.lines().filter(u"✅ Paste via"_s);
        const QString mechanism = keys.mechanismName();
        QCOMPARE(outcome.size(), 1);
        if (terminal)
            QCOMPARE(outcome.first(),
                     u"✅ Paste via %1 %2 executado no app: %3"_s.arg(mechanism, keystroke, title));
        else
            QVERIFY2(outcome.first().startsWith(u"✅ Paste via %1 para PID: "_s.arg(mechanism)),
                     qPrintable(outcome.first()));
        // Ovelin's own write came back as a copy.
        QTRY_COMPARE_WITH_TIMEOUT(top(), image ? u"file:"_s + pasted : text(pasted), generousMs);
    }

    void focusGoesBackToAnEarlierWindow()
    {
        auto first = m_backend->openWindow(u"org.example.First"_s, u"First"_s);
        QVERIFY(first);
        const auto earlier = waitForFront(u"org.example.First"_s);
        QVERIFY(earlier);
        auto second = m_backend->openWindow(u"org.example.Second"_s, u"Second"_s);
        QVERIFY(second);
        QVERIFY(waitForFront(u"org.example.Second"_s));
        QVERIFY(frontmost().runningApplications().contains(u"org.example.First"_s));

        QVERIFY(frontmost().activateWindow(earlier->windowId));
        // The window manager gets to the request in its own time: keys wait for it.
        std::optional<std::optional<FrontmostApplication>> atReady;
        frontmost().whenFocusSettled(std::chrono::seconds(20), this,
                                     [&] { atReady = frontmost().frontmostApplication(); });
        QTRY_VERIFY_WITH_TIMEOUT(atReady.has_value(), generousMs);
        QVERIFY(*atReady);
        QCOMPARE((*atReady)->windowId, earlier->windowId);
        QVERIFY(!frontmost().activateWindow(0x3fffff0)); // not a window of the desktop's
    }
};

OVELIN_TEST_MAIN(TestClipboardConformance)
#include "tst_clipboardconformance.moc"
