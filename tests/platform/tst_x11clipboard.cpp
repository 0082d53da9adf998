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

#include <X11/Xlib.h>

using namespace Qt::StringLiterals;
using ovelin::test::copyWithXclip;
using ovelin::test::Helper;

using fixtures::describe;

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
    QStringList historyList() const
    {
        QStringList out;
        for (const ClipboardItem& item : m_history->history())
            out << describe(item);
        return out;
    }
    QString topOfHistory() const { return historyList().value(0, u"empty"_s); }

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

    // The owner's window class names the application (data-control names none).
    void ignoredApplicationIsNotCaptured()
    {
        CaptureGate gate;
        gate.setIgnoredApplications({u"KeePassXC"_s});
        m_monitor->setGate(&gate);
        Helper vault(fixture(), {u"own"_s, u"--class"_s, u"keepassxc"_s,
                                 u"text/plain="_s + writeFile(u"secret.txt"_s, "from the vault")});
        QVERIFY(vault.waitReady());
        // Named by its window too: the vault in front does not decide.
        Helper editor(fixture(), {u"own"_s, u"--class"_s, u"Gedit"_s,
                                  u"text/plain="_s + writeFile(u"plain.txt"_s, "from the editor")});
        QVERIFY(editor.waitReady());
        QTRY_COMPARE_WITH_TIMEOUT(historyList(), QStringList{u"text:from the editor|rtf=-|html=-"_s}, 10000);
        m_monitor->setGate(&CaptureGate::shared());
    }

    void misbehavingOwnerCostsAtMostOneLine_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("captured"); // empty: nothing
        QTest::addColumn<QString>("warning");  // the start of the one line it costs; empty: none

        const QString unanswered = u"⚠️ A aplicação dona da área de transferência não respondeu"_s;
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
            Helper owner(fixture(), {u"misbehave"_s, mode});
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
        QVERIFY2(lines.count(u"⚠️"_s) <= 1, qPrintable(lines.lines().join(u'\n')));
    }

    // Qt's own Xlib error handler ignores everything, so an error the service does not trap would
    // pass unnoticed: this handler, standing in for the application's, sees any that escape.
    void vanishedWindowIsNoErrorOfTheApplication()
    {
        Display* dpy = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        static int escaped = 0;
        const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
            ++escaped;
            return 0;
        });
        QVERIFY(!ovelin::x11::platformServices().frontmostApplication->activateWindow(0x3fffff0));
        XSync(dpy, False);
        XSetErrorHandler(previous);
        QCOMPARE(escaped, 0);
    }
};

OVELIN_TEST_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"
