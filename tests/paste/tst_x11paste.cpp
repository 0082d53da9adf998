#include <algorithm>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "app/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/X11TestSupport.h"
#include "platform/x11/X11Platform.h"

#include <X11/Xlib.h>

using namespace Qt::StringLiterals;
using ovelin::test::Helper;

namespace {

// The file URLs the paste target's record says it received.
QStringList pastedURLs(const QString& path)
{
    QStringList urls;
    for (const QByteArray& line : ovelin::test::readFile(path).split('\n')) {
        for (const QByteArray& field : line.split(' ')) {
            if (line.startsWith("paste ") && (field.startsWith("file://") || field.startsWith("urls=file://")))
                urls << QString::fromUtf8(field.mid(field.indexOf("file://")));
        }
    }
    return urls;
}

} // namespace

class TestX11Paste : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FrontmostApplicationService* m_frontmost = nullptr;

    // Waits until a window of this class is the frontmost application.
    bool waitFrontmost(const QString& windowClass, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                const auto app = m_frontmost->frontmostApplication();
                return app && app->identifier == windowClass;
            },
            timeoutMs);
    }

    // Starts the tests' own editor window and waits until it is the frontmost application.
    std::unique_ptr<Helper> startTarget(const QString& windowClass, const QString& out)
    {
        auto target =
            std::make_unique<Helper>(QStringLiteral(X11_FIXTURE), QStringList{u"paste-target"_s, u"--class"_s,
                                                                              windowClass, u"--out"_s, out});
        return target->waitReady() && waitFrontmost(windowClass) ? std::move(target) : nullptr;
    }

    // Plays Ovelin's part: the panel comes up over the target, the user picks an item, the
    // sequence hides the panel and hands the focus back.
    void pasteFromPanel(const ClipboardItem& item)
    {
        const auto previous = m_frontmost->frontmostApplication();
        QVERIFY(previous);
        QWidget* panel = showPanelOver(*previous);
        QVERIFY(panel);
        PasteSequence::shared().setHideApplicationHandler([this, panel, window = previous->windowId] {
            panel->close();
            m_frontmost->activateWindow(window);
        });
        QSignalSpy performed(&PasteSequence::shared(), &PasteSequence::pastePerformed);
        PasteSequence::shared().paste(item, PasteOrigin::Keyboard);
        QVERIFY(performed.wait(10000));
    }

    // A window standing in for Ovelin's panel, in front of the given one; null if it never got there.
    QWidget* showPanelOver(const FrontmostApplication& previous)
    {
        auto* panel = new QWidget;
        panel->setAttribute(Qt::WA_DeleteOnClose);
        panel->setWindowTitle(u"Ovelin"_s);
        panel->resize(200, 200);
        panel->show();
        // The window manager may pass over a request made while the window was still being mapped:
        // ask again until the panel is in front, as a user's click would.
        const bool inFront = QTest::qWaitFor(
            [&] {
                const auto front = m_frontmost->frontmostApplication();
                if (front && front->windowId != previous.windowId)
                    return true;
                panel->activateWindow();
                return false;
            },
            10000);
        if (!inFront)
            panel->close();
        return inFront ? panel : nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!ovelin::test::onX11())
            QSKIP("needs an X server (run under Xvfb)");
        const PlatformServices& services = ovelin::x11::platformServices();
        PasteManager::installServices(services);
        m_frontmost = services.frontmostApplication;
        qputenv("TMPDIR", m_dir.path().toUtf8());
    }
    void cleanupTestCase() { PasteSequence::shared().setHideApplicationHandler({}); }

    // Real terminals, through PRIMARY and Shift+Insert (the tests' own windows are
    // tst_clipboardconformance's).
    void pastesTextIntoRealTerminals_data()
    {
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QStringList>("terminal"); // the terminal's command line
        QTest::addColumn<QString>("doneLine");
        // The terminals run a program that writes what the terminal hands it to a file, in a
        // UTF-8 locale that every glibc has (VTE drops what it cannot encode in the locale's).
        const QString catToOut = u"stty -icanon -echo; exec cat > \"$0\""_s;
        // No accessibility bridge: the tests' session bus has no accessibility service to wait for.
        const QStringList utf8{u"env"_s, u"LANG=C.UTF-8"_s, u"LC_ALL=C.UTF-8"_s, u"NO_AT_BRIDGE=1"_s};
        // xterm binds no Ctrl+Shift+V; Shift+Insert pastes PRIMARY there.
        QTest::newRow("xterm") << u"XTerm"_s
                               << utf8 + QStringList{u"xterm"_s, u"-e"_s, u"sh"_s, u"-c"_s, catToOut}
                               << u"✅ Paste via XTEST Shift+Insert executado no app: sh"_s;
        QTest::newRow("VTE terminal")
            << u"Xfce4-terminal"_s
            << utf8 + QStringList{u"xfce4-terminal"_s,
                                  u"--disable-server"_s,
                                  u"--title=Ovelin Terminal"_s,
                                  u"--dynamic-title-mode=none"_s,
                                  u"-x"_s,
                                  u"sh"_s,
                                  u"-c"_s,
                                  catToOut}
            << u"✅ Paste via XTEST Shift+Insert executado no app: Ovelin Terminal"_s;
    }
    void pastesTextIntoRealTerminals()
    {
        QFETCH(QString, windowClass);
        QFETCH(QStringList, terminal);
        QFETCH(QString, doneLine);
        const QString out = m_dir.filePath(windowClass + u".log"_s);
        // The terminal's name follows env's assignments.
        const QString program = *std::find_if(terminal.begin() + 1, terminal.end(),
                                              [](const QString& word) { return !word.contains(u'='); });
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP("the terminal is not installed (scripts/deps.sh installs it)");
        auto target = std::make_unique<Helper>(terminal.first(), terminal.mid(1) << out);
        // The window may come up before the terminal has started its program (VTE spawns it
        // afterwards and drops keys typed before): the file appears once the program reads.
        // A terminal's first start on a fresh machine can be slow.
        if (!waitFrontmost(windowClass, 30000) || !QTest::qWaitFor([&] { return QFileInfo::exists(out); }, 30000)) {
            const auto front = m_frontmost->frontmostApplication();
            qWarning() << "frontmost:" << (front ? front->identifier.value_or(u"?"_s) : u"none"_s)
                       << "program reading:" << QFileInfo::exists(out) << "terminal state:" << target->process().state()
                       << target->process().readAllStandardError();
            QFAIL("the terminal did not come to the front ready to read");
        }
        const QString text = u"Grüße aus Ovelin, %1"_s.arg(windowClass);
        ClipboardHistory history(ClipboardStorage::atPath(m_dir.filePath(windowClass + u".json"_s)));
        history.addItem(ClipboardItem(ClipboardItemType::text(text)));
        history.addItem(ClipboardItem(ClipboardItemType::text(u"newer"_s)));
        const ClipboardItem older = history.history().last();
        ClipboardMonitor monitor(&history, *ovelin::x11::platformServices().clipboard);
        monitor.startMonitoring();
        ovelin::test::PrintedLines lines;

        pasteFromPanel(older);

        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(ovelin::test::readFile(out)), text, 10000);
        QCOMPARE(lines.count(u"📦 App em foco: "_s + windowClass), 1);
        QCOMPARE(lines.count(u"↩️ Usando fallback (XTEST Shift+Insert)"_s), 1);
        QCOMPARE(lines.count(doneLine), 1);
        // Ovelin's own write comes back as a copy and moves the entry to the top.
        QTRY_VERIFY_WITH_TIMEOUT(history.history().first().type().text() == text &&
                                     history.history().first().id() != older.id(),
                                 5000);
        QCOMPARE(history.history().size(), 2);
        history.storage().waitForPendingSaves();
    }

    // The window manager hands the focus back when it gets to the request, which on a busy machine
    // is after the panel has gone: the keys wait for it.
    void focusSettlesOnTheWindowAskedFor()
    {
        auto target = startTarget(u"Ovelinfocus"_s, m_dir.filePath(u"focus.log"_s));
        QVERIFY(target);
        const auto previous = m_frontmost->frontmostApplication();
        QWidget* panel = showPanelOver(*previous);
        QVERIFY(panel);
        panel->close();
        QVERIFY(m_frontmost->activateWindow(previous->windowId));
        std::optional<std::optional<FrontmostApplication>> atReady;
        m_frontmost->whenFocusSettled(std::chrono::seconds(10), this,
                                      [&] { atReady = m_frontmost->frontmostApplication(); });
        QTRY_VERIFY_WITH_TIMEOUT(atReady.has_value(), 15000);
        QVERIFY(*atReady);
        QCOMPARE((*atReady)->windowId, previous->windowId);
    }

    // Qt's own Xlib error handler ignores everything, so an error the service does not trap would
    // pass unnoticed: this handler, standing in for the application's, sees any that escape.
    void vanishedWindowIsNoErrorOfTheApplication()
    {
        Display* dpy = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        static int escaped = 0;
        escaped = 0;
        const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
            ++escaped;
            return 0;
        });
        const quint64 bogus = 0x3fffff0;
        QVERIFY(!m_frontmost->activateWindow(bogus));
        XSync(dpy, False);
        XSetErrorHandler(previous);
        QCOMPARE(escaped, 0);
    }

    void pastedImageArrivesAsItsTemporaryFileAndIsCapturedAsAFile()
    {
        const QByteArray bytes = ovelin::test::pngBytes(6, 5, Qt::darkCyan);

        ClipboardHistory history(ClipboardStorage::atPath(m_dir.filePath(u"history.json"_s)));
        ClipboardMonitor monitor(&history, *ovelin::x11::platformServices().clipboard);
        monitor.startMonitoring();
        const QString out = m_dir.filePath(u"image.log"_s);
        auto target = startTarget(u"Ovelinimage"_s, out);
        QVERIFY(target);

        pasteFromPanel(ClipboardItem(ClipboardItemType::image(bytes)));

        QTRY_COMPARE_WITH_TIMEOUT(pastedURLs(out).size(), 1, 10000);
        const QUrl url(pastedURLs(out).first());
        QVERIFY(url.isLocalFile());
        QVERIFY(url.fileName().startsWith(u"Ovelin_Image_"_s));
        QCOMPARE(ovelin::test::readFile(url.toLocalFile()), bytes);
        // The next tick finds Ovelin's own write on the clipboard: a file item for that file.
        QTRY_VERIFY_WITH_TIMEOUT(!history.history().isEmpty() &&
                                     history.history().first().type().kind() == ClipboardItemKind::File &&
                                     history.history().first().type().fileURL() == url,
                                 10000);
        history.storage().waitForPendingSaves();
    }
};

OVELIN_TEST_MAIN(TestX11Paste)
#include "tst_x11paste.moc"
