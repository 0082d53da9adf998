#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>

#include "TestMain.h"
#include "X11Session.h"

using namespace ovelin::test;

// The history list in the real executable on the test's X server: texts copied with xclip,
// the panel opened with the hot key, keys and clicks sent with xdotool, and a text editor of
// the test's own as the application that receives the paste.
class TestListX11 : public QObject
{
    Q_OBJECT

    OvelinOnX11 m_ovelin;
    std::unique_ptr<QPlainTextEdit> m_editor;
    QList<QProcess*> m_clipboardOwners;

    void copy(const QString& text)
    {
        const QString updated = u"✅ Histórico atualizado"_s;
        const qsizetype before = m_ovelin.linesStartingWith(updated);
        // xclip stays in the foreground serving the selection, as the copying application would,
        // until the next owner takes it.
        auto* xclip = new QProcess(this);
        xclip->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        QVERIFY(xclip->waitForStarted(3000));
        xclip->write(text.toUtf8());
        xclip->closeWriteChannel();
        m_clipboardOwners << xclip;
        QVERIFY(waitFor([&] { return m_ovelin.linesStartingWith(updated) > before; }));
    }

    // The editor is in front; the hot key opens the panel over it.
    bool openPanelFromEditor()
    {
        m_editor->clear();
        // A click is what makes the window manager hand over the focus without second thoughts.
        const QPoint inside = m_editor->mapToGlobal(m_editor->rect().center());
        for (int attempt = 0; attempt < 3 && !m_editor->isActiveWindow(); ++attempt) {
            xdotool({u"mousemove"_s, QString::number(inside.x()), QString::number(inside.y())});
            xdotool({u"click"_s, u"1"_s});
            waitFor([this] { return m_editor->isActiveWindow(); }, 1500);
        }
        if (!m_editor->isActiveWindow() || !waitFor([this] { return !m_ovelin.panelMapped(); })) {
            qWarning("the editor did not become the active window");
            return false;
        }
        OvelinOnX11::pressShortcutAt(200, 200);
        if (!waitFor([this] { return m_ovelin.panelMapped() && m_ovelin.panelActive(); })) {
            qWarning("the shortcut did not bring the panel up");
            return false;
        }
        // The search text stays from the last time the panel was open; empty it. The keys and
        // clicks that follow reach the panel after these, in the order they were sent.
        xdotool({u"key"_s, u"ctrl+a"_s, u"BackSpace"_s});
        return true;
    }

    // The editor receives `text` and the panel goes away.
    bool pasted(const QString& text)
    {
        return waitFor([&] { return m_editor->toPlainText() == text; }) && !m_ovelin.panelMapped();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        QVERIFY(m_ovelin.start(QProcess::SeparateChannels));
        QVERIFY(waitFor(
            [this] { return m_ovelin.printed(u"📋 Monitoramento da área de transferência iniciado!"_s); }));

        m_editor = std::make_unique<QPlainTextEdit>();
        m_editor->setWindowTitle(u"Paste target"_s);
        m_editor->setGeometry(900, 100, 400, 300);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));

        copy(u"alpha first entry"_s);
        copy(u"bravo second entry"_s);
        copy(u"charlie third entry"_s);
    }

    void cleanupTestCase()
    {
        for (QProcess* xclip : std::as_const(m_clipboardOwners)) {
            xclip->kill();
            xclip->waitForFinished(1000);
        }
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qInfo().noquote() << "editor:" << m_editor->toPlainText() << "\novelin printed:\n"
                              << m_ovelin.output.right(3000);
        m_ovelin.output.clear();
    }

    void typingAndReturnPastesTheMatch()
    {
        QVERIFY(openPanelFromEditor());
        xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"BRAVO"_s});
        xdotool({u"key"_s, u"Return"_s});
        QVERIFY(pasted(u"bravo second entry"_s));
        // The paste is captured again and goes to the top: bravo, charlie, alpha.
        QVERIFY(waitFor(
            [this] { return m_ovelin.printed(u"♻️ Removendo duplicata anterior no índice 1"_s); }));
    }

    void downTwiceAndReturnPastesTheThirdRow()
    {
        QVERIFY(openPanelFromEditor());
        xdotool({u"key"_s, u"Down"_s});
        xdotool({u"key"_s, u"Down"_s});
        xdotool({u"key"_s, u"Return"_s});
        QVERIFY(pasted(u"alpha first entry"_s));
        QVERIFY(waitFor(
            [this] { return m_ovelin.printed(u"♻️ Removendo duplicata anterior no índice 2"_s); }));
    }

    void escapeHidesWithoutPasting()
    {
        QVERIFY(openPanelFromEditor());
        xdotool({u"key"_s, u"Escape"_s});
        QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
        // A paste writes the clipboard, and says so, before it hides the panel: once the panel
        // says it is hidden, no paste is on its way.
        QVERIFY(waitFor([this] { return m_ovelin.printed(u"🔴 Janela oculta"_s); }));
        QVERIFY(!m_ovelin.printed(u"📋 Conteúdo copiado para a área de transferência"_s));
        QCOMPARE(m_editor->toPlainText(), QString());
    }

    void clickingARowPastesIt()
    {
        // Whatever the order the earlier cases left, the search leaves bravo as the one row; the
        // point is inside the first row, below the search bar, in either style.
        QVERIFY(openPanelFromEditor());
        xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"bravo"_s});
        const QPoint panel = m_ovelin.panelGeometry().topLeft();
        xdotool({u"mousemove"_s, QString::number(panel.x() + 120), QString::number(panel.y() + 90)});
        xdotool({u"click"_s, u"1"_s});
        QVERIFY(pasted(u"bravo second entry"_s));
    }

    void shiftReturnPastesWithoutTheRichForms()
    {
        // Copied by the test itself with an HTML form beside the text: the order is now
        // delta, bravo, alpha, charlie.
        const QString updated = u"✅ Histórico atualizado"_s;
        const qsizetype before = m_ovelin.linesStartingWith(updated);
        auto* rich = new QMimeData;
        rich->setText(u"delta rich entry"_s);
        rich->setHtml(u"<b>delta</b> rich entry"_s);
        QGuiApplication::clipboard()->setMimeData(rich);
        QVERIFY(waitFor([&] { return m_ovelin.linesStartingWith(updated) > before; }));

        QVERIFY(openPanelFromEditor());
        xdotool({u"key"_s, u"shift+Return"_s});
        QVERIFY(pasted(u"delta rich entry"_s));
        // What Ovelin offered for the paste is still on the clipboard.
        const QStringList targets =
            tool(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, u"TARGETS"_s}).split(u'\n');
        QVERIFY2(targets.contains(u"text/plain"_s) || targets.contains(u"UTF8_STRING"_s),
                 qPrintable(targets.join(u' ')));
        QVERIFY2(!targets.contains(u"text/html"_s) && !targets.contains(u"text/rtf"_s),
                 qPrintable(targets.join(u' ')));
    }

    void altDigitPastesTheShownRow()
    {
        copy(u"x1 kilo"_s);
        copy(u"x2 lima"_s);
        copy(u"x3 mike"_s);
        QVERIFY(openPanelFromEditor());
        xdotool({u"key"_s, u"alt+2"_s});
        QVERIFY(pasted(u"x2 lima"_s));
        // Now lima, mike, kilo: "k" shows mike and kilo.
        QVERIFY(waitFor(
            [this] { return m_ovelin.printed(u"♻️ Removendo duplicata anterior no índice 1"_s); }));
        QVERIFY(openPanelFromEditor());
        xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"k"_s});
        xdotool({u"key"_s, u"alt+2"_s});
        QVERIFY(pasted(u"x1 kilo"_s));
    }
};

OVELIN_TEST_MAIN(TestListX11)
#include "tst_list_x11.moc"
