#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include "PrintedLines.h"
#include "SnapshotText.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "platform/wayland/WaylandClipboardService.h"

using namespace Qt::StringLiterals;
using ovelin::test::describe;

namespace {

using Formats = QList<std::pair<QString, QByteArray>>;

// The picture Ovelin writes: what ovelin::test::pngBytes(8, 8, Qt::darkCyan) encodes.
QImage picture()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

class TestWaylandClipboard : public QObject
{
    Q_OBJECT

    std::unique_ptr<WaylandClipboardService> m_service;
    QStringList m_changes;   // each change delivered, described
    QStringList m_unchanged; // snapshots delivered as the contents held when watching began
    std::vector<std::unique_ptr<QProcess>> m_copies;
    struct KeyWindow : QWidget
    {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    };
    std::unique_ptr<KeyWindow> m_window;

    // wl-copy stays in the foreground, serving its copy until another replaces it.
    void wlCopy(const QStringList& args, const QByteArray& input = {})
    {
        // Copies replaced end by themselves; ending one still serving would clear the clipboard.
        std::erase_if(m_copies, [](const auto& copy) { return copy->state() == QProcess::NotRunning; });
        auto copy = std::make_unique<QProcess>();
        copy->start(u"wl-copy"_s, QStringList{u"--foreground"_s} + args);
        copy->write(input);
        copy->closeWriteChannel();
        m_copies.push_back(std::move(copy));
    }

    // A copy made the way an application does it: by its focused window, after a key press (the
    // compositor takes a selection only with the serial of an input event). The headless seat
    // has no keyboard of its own: wtype lends one.
    bool copyFromWindow(const Formats& formats)
    {
        if (!m_window) {
            m_window = std::make_unique<KeyWindow>();
            m_window->setWindowTitle(u"copier"_s);
            m_window->resize(200, 100);
            m_window->setFocusPolicy(Qt::StrongFocus);
            m_window->show();
        }
        // Qt on Wayland counts a window active while it has keyboard focus, and the seat has a
        // keyboard only while wtype runs: a key that arrives is the proof of focus.
        if (!QTest::qWaitForWindowExposed(m_window.get(), 10000))
            return false;
        // The window sees the seat gain a keyboard only while its event loop runs, and a fresh
        // virtual keyboard may lose its first keys: typed until one arrives.
        const int keys = m_window->keys;
        for (int attempt = 0;; ++attempt) {
            if (attempt == 5)
                return false;
            QProcess wtype;
            wtype.start(u"wtype"_s, {u"-s"_s, u"300"_s, u"x"_s, u"-s"_s, u"100"_s, u"y"_s});
            const bool arrived = QTest::qWaitFor([&] { return m_window->keys != keys; }, 3000);
            wtype.waitForFinished(3000);
            if (arrived)
                break;
        }
        auto* mime = new QMimeData;
        for (const auto& [format, bytes] : formats)
            mime->setData(format, bytes);
        QGuiApplication::clipboard()->setMimeData(mime);
        return true;
    }

    static QByteArray paste(const QStringList& args)
    {
        QProcess paste;
        paste.start(u"wl-paste"_s, args);
        if (!paste.waitForFinished(10000))
            return "no answer";
        return paste.readAllStandardOutput();
    }

    // Copies a text and waits until it arrives: everything copied before has been dealt with.
    bool sentinel(const QString& text)
    {
        wlCopy({u"--"_s, text});
        return QTest::qWaitFor([&] { return !m_changes.isEmpty() && m_changes.last() == u"text="_s + text; },
                               10000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            QSKIP("needs a Wayland compositor with data-control (scripts/wlsession.sh)");
        if (!WaylandClipboardService::dataControlProtocol()) {
            // Weston: sway always offers it, so only another compositor may lack it.
            QVERIFY(qEnvironmentVariableIsEmpty("SWAYSOCK"));
            WaylandClipboardService service;
            QCOMPARE(service.protocol(), std::nullopt);
            QSKIP("the compositor offers no data-control: nothing to watch");
        }
        wlCopy({u"--"_s, u"before watching"_s});
        QTRY_COMPARE_WITH_TIMEOUT(paste({u"--no-newline"_s}), "before watching", 10000);
        m_service = std::make_unique<WaylandClipboardService>();
        QCOMPARE(m_service->protocol(), WaylandClipboardService::dataControlProtocol());
        m_service->watch([this](const ClipboardSnapshot& snapshot, bool changed) {
            (changed ? m_changes : m_unchanged).append(describe(snapshot));
        });
        QTRY_COMPARE_WITH_TIMEOUT(m_unchanged, QStringList{u"text=before watching"_s}, 10000);
        QCOMPARE(m_changes, QStringList());
    }
    void cleanupTestCase()
    {
        m_copies.clear(); // QProcess ends the copy that still serves
        m_service.reset();
        m_window.reset();
    }

    void capturesEveryCopyOnce_data()
    {
        QTest::addColumn<QStringList>("wlCopyArgs"); // empty: the test's own window copies `formats`
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<QString>("expected"); // empty: nothing is captured
        QTest::addColumn<QString>("warning");

        const QByteArray image = ovelin::test::pngBytes(8, 8, Qt::magenta);
        QTest::newRow("text") << QStringList{u"--"_s, u"Olá, mundo ✓ "_s} << Formats()
                              << u"text=Olá, mundo ✓ "_s << QString();
        QTest::newRow("PNG") << QStringList{u"--type"_s, u"image/png"_s} << Formats{{{}, image}}
                             << u"image="_s + QString::fromLatin1(image.toBase64()) << QString();
        QTest::newRow("files")
            << QStringList{u"--type"_s, u"text/uri-list"_s}
            << Formats{{{}, "# copied\r\nfile:///tmp/a%20b.txt\r\nfile:///tmp/c.txt\r\n"}}
            << u"uris=file:///tmp/a%20b.txt file:///tmp/c.txt|text=# copied\r\nfile:///tmp/a%20b.txt\r\nfile:///tmp/c.txt\r\n"_s
            << QString();
        QTest::newRow("window: text, RTF and HTML")
            << QStringList()
            << Formats{{u"text/plain"_s, "Bold move"},
                       {u"text/rtf"_s, "{\\rtf1 {\\b Bold} move}"},
                       {u"text/html"_s, "<b>Bold</b> move"}}
            << u"text=Bold move|rtf={\\rtf1 {\\b Bold} move}|html=<b>Bold</b> move"_s << QString();
        QTest::newRow("window: password manager")
            << QStringList()
            << Formats{{u"text/plain"_s, "correct horse"}, {u"x-kde-passwordManagerHint"_s, "secret"}}
            << u"concealed"_s << QString();
        QTest::newRow("primary selection")
            << QStringList{u"--primary"_s, u"--"_s, u"selected"_s} << Formats() << QString() << QString();
        QTest::newRow("format over 64 MiB")
            << QStringList{u"--type"_s, u"image/png"_s} << Formats{{{}, QByteArray((64 << 20) + 1, 'x')}}
            << u"empty"_s
            << u"⚠️ Formato “image/png” da área de transferência ignorado: maior que 64 MiB"_s;
    }
    void capturesEveryCopyOnce()
    {
        QFETCH(QStringList, wlCopyArgs);
        QFETCH(Formats, formats);
        QFETCH(QString, expected);
        QFETCH(QString, warning);
        ovelin::test::PrintedLines lines;
        m_changes.clear();

        if (wlCopyArgs.isEmpty())
            QVERIFY(copyFromWindow(formats));
        else
            wlCopy(wlCopyArgs, formats.isEmpty() ? QByteArray() : formats.first().second);
        // The copy has to be made before the sentinel's (wl-copy reads all its input first).
        if (!expected.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(m_changes.contains(expected), 20000);
        else
            QTRY_COMPARE_WITH_TIMEOUT(paste({u"--primary"_s, u"--no-newline"_s}), "selected", 10000);
        QVERIFY2(sentinel(u"after %1"_s.arg(QString::fromLatin1(QTest::currentDataTag()))),
                 qPrintable(m_changes.join(u'\n')));

        QStringList all = {u"text=after %1"_s.arg(QString::fromLatin1(QTest::currentDataTag()))};
        if (!expected.isEmpty())
            all.prepend(expected);
        QCOMPARE(m_changes, all);
        QCOMPARE(lines.lines().filter(u"⚠️"_s), warning.isEmpty() ? QStringList() : QStringList{warning});
        QCOMPARE(m_unchanged.size(), 1);
    }

    void ownerThatNeverAnswersCostsOneTimeOut_data()
    {
        QTest::addColumn<bool>("writeMeanwhile");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("warnings");

        QTest::newRow("left to time out")
            << false << QStringList{u"empty"_s, u"text=after the silent owner"_s}
            << QStringList{
                   u"⚠️ A aplicação dona da área de transferência não respondeu (formato “text/plain”)"_s};
        // The thread waiting for the owner still takes the write at once, and drops the wait.
        QTest::newRow("replaced by a write")
            << true << QStringList{u"text=written meanwhile"_s, u"text=after the silent owner"_s}
            << QStringList();
    }
    void ownerThatNeverAnswersCostsOneTimeOut()
    {
        QFETCH(bool, writeMeanwhile);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, warnings);
        ovelin::test::PrintedLines lines;
        m_changes.clear();
        QProcess owner;
        owner.start(QStringLiteral(WAYLAND_OWNER));
        QVERIFY(owner.waitForReadyRead(10000));
        if (writeMeanwhile) {
            m_service->write({{{u"text/plain"_s, "written meanwhile"}}, {}});
            QCOMPARE(paste({u"--no-newline"_s}), "written meanwhile");
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_changes, changes.mid(0, 1), 10000);
        QVERIFY(sentinel(u"after the silent owner"_s));
        QCOMPARE(m_changes, changes);
        QCOMPARE(lines.lines().filter(u"⚠️"_s), warnings);
        QTRY_COMPARE_WITH_TIMEOUT(owner.state(), QProcess::NotRunning, 10000); // replaced, it leaves
    }

    void quickCopiesAreAllCaptured()
    {
        m_changes.clear();
        QStringList expected;
        // 100 ms apart as the compositor sees them: a process may take longer than that to start.
        for (int i = 1; i <= 20; ++i) {
            const quint64 count = m_service->changeCount();
            wlCopy({u"--"_s, u"burst %1"_s.arg(i)});
            expected << u"text=burst %1"_s.arg(i);
            QTRY_VERIFY_WITH_TIMEOUT(m_service->changeCount() > count, 10000);
            QTest::qWait(100);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_changes, expected, 20000);
    }

    void othersPasteWhatIsWritten_data()
    {
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("primary");
        QTest::addColumn<QStringList>("pasteArgs");
        QTest::addColumn<QByteArray>("pasted"); // for an image: whether it is the picture
        QTest::addColumn<QString>("types");     // as wl-paste lists them, sorted
        QTest::addColumn<QString>("captured");  // empty: nothing

        const QString plainTypes = u"STRING TEXT UTF8_STRING text/plain text/plain;charset=utf-8"_s;
        QTest::newRow("text") << Formats{{u"text/plain"_s, "Olá ✓"}} << false << false << QStringList()
                              << QByteArray("Olá ✓") << plainTypes << u"text=Olá ✓"_s;
        QTest::newRow("Latin-1 for STRING")
            << Formats{{u"text/plain"_s, "Olá ✓"}} << false << false << QStringList{u"--type"_s, u"STRING"_s}
            << QByteArray("Ol\xe1 ?") << plainTypes << u"text=Olá ✓"_s;
        QTest::newRow("rich text")
            << Formats{{u"text/html"_s, "<i>it</i>"}, {u"text/plain"_s, "it"}} << false << false
            << QStringList{u"--type"_s, u"text/html"_s} << QByteArray("<i>it</i>")
            << u"STRING TEXT UTF8_STRING text/html text/plain text/plain;charset=utf-8"_s
            << u"text=it|html=<i>it</i>"_s;
        QTest::newRow("image") << Formats() << true << false << QStringList{u"--type"_s, u"image/png"_s}
                               << QByteArray("the picture") << u"image/png"_s
                               << u"image="_s + QString::fromLatin1(
                                                    ovelin::test::pngBytes(8, 8, Qt::darkCyan).toBase64());
        QTest::newRow("cleared") << Formats() << false << false << QStringList() << QByteArray() << QString()
                                 << u"empty"_s;
        QTest::newRow("primary selection")
            << Formats{{u"text/plain"_s, "middle click"}} << false << true << QStringList{u"--primary"_s}
            << QByteArray("middle click") << plainTypes << QString();
    }
    void othersPasteWhatIsWritten()
    {
        QFETCH(Formats, formats);
        QFETCH(bool, image);
        QFETCH(bool, primary);
        QFETCH(QStringList, pasteArgs);
        QFETCH(QByteArray, pasted);
        QFETCH(QString, types);
        QFETCH(QString, captured);
        ovelin::test::PrintedLines lines;
        m_changes.clear();

        ClipboardContent content{formats, {}};
        if (image)
            content.image = picture();
        if (primary)
            m_service->writePrimarySelection(content);
        else
            m_service->write(content);

        const QStringList selection = primary ? QStringList{u"--primary"_s} : QStringList();
        QByteArray out = paste(selection + pasteArgs + QStringList{u"--no-newline"_s});
        if (image)
            out = QImage::fromData(out).convertToFormat(QImage::Format_RGB32) == picture() ? "the picture"
                                                                                           : out;
        QCOMPARE(out, pasted);
        QStringList listed = QString::fromUtf8(paste(selection + QStringList{u"--list-types"_s}))
                                 .split(u'\n', Qt::SkipEmptyParts);
        listed.sort();
        QCOMPARE(listed.join(u' '), types);

        // Ovelin's own write comes back as a change, read without asking anyone.
        QVERIFY(sentinel(u"after writing"_s));
        QStringList all = {u"text=after writing"_s};
        if (!captured.isEmpty())
            all.prepend(captured);
        QVERIFY2(m_changes == all, qPrintable(m_changes.join(u'\n')));
        QCOMPARE(lines.lines().filter(u"⚠️"_s), QStringList());
    }

    void readAndChangeCountFollowTheClipboard()
    {
        const quint64 before = m_service->changeCount();
        wlCopy({u"--"_s, u"read me"_s});
        QTRY_VERIFY_WITH_TIMEOUT(m_service->changeCount() > before, 10000);
        QCOMPARE(describe(m_service->read()), u"text=read me"_s);
        m_service->write({{{u"text/plain"_s, "written"}}, {}});
        QCOMPARE(describe(m_service->read()), u"text=written"_s);
    }
};

OVELIN_TEST_MAIN(TestWaylandClipboard)
#include "tst_wayland_clipboard.moc"
