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

    // Another application copies `text`; with `html`, also an HTML form of it. The owner stays
    // in the foreground serving the clipboard, until the next one takes it.
    void copy(const QString& text, bool html = false)
    {
        const QString updated = u"✅ Histórico atualizado"_s;
        const qsizetype before = m_ovelin.linesStartingWith(updated);
        if (html) {
            auto* rich = new QMimeData;
            rich->setText(text);
            rich->setHtml(u"<b>"_s + text + u"</b>"_s);
            QGuiApplication::clipboard()->setMimeData(rich);
        } else {
            auto* xclip = new QProcess(this);
            xclip->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
            QVERIFY(xclip->waitForStarted(3000));
            xclip->write(text.toUtf8());
            xclip->closeWriteChannel();
            m_clipboardOwners << xclip;
        }
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

    // Each row copies its own texts, oldest first, so the panel lists them newest first at the
    // top; then keys go to the panel ("type:<text>", "click" on the first row, or xdotool key
    // names) and the editor receives what is pasted. A paste is captured again and moves to the
    // top from the row it was in.
    void keysAndClicksPasteTheChosenRow_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("pasted"); // empty: nothing, the panel hides
        QTest::addColumn<int>("movedFrom");  // -1: no paste to capture again
        const QStringList three{u"alpha first entry"_s, u"bravo second entry"_s, u"charlie third entry"_s};
        QTest::newRow("typing and Return paste the match")
            << three << u"type:BRAVO Return"_s << u"bravo second entry"_s << 1;
        QTest::newRow("Down twice and Return paste the third row")
            << QStringList{u"d1 x"_s, u"d2 x"_s, u"d3 x"_s} << u"Down Down Return"_s << u"d1 x"_s << 2;
        QTest::newRow("Escape hides without pasting") << QStringList() << u"Escape"_s << QString() << -1;
        // The point is inside the first row, below the search bar, in either style.
        QTest::newRow("a click pastes the row")
            << QStringList{u"echo one"_s, u"echo two"_s} << u"type:one click"_s << u"echo one"_s << -1;
        QTest::newRow("Shift+Return pastes without the rich forms")
            << QStringList{u"html:delta rich entry"_s} << u"shift+Return"_s << u"delta rich entry"_s << 0;
        QTest::newRow("Alt+digit pastes the shown row")
            << QStringList{u"x1 kilo"_s, u"x2 lima"_s, u"x3 mike"_s} << u"alt+2"_s << u"x2 lima"_s << 1;
        // "k" shows mike and kilo.
        QTest::newRow("Alt+digit counts the filtered rows")
            << QStringList{u"y1 kilo"_s, u"y2 lima"_s, u"y3 mike"_s} << u"type:k alt+2"_s << u"y1 kilo"_s
            << -1;
    }
    void keysAndClicksPasteTheChosenRow()
    {
        QFETCH(QStringList, copies);
        QFETCH(QString, keys);
        QFETCH(QString, pasted);
        QFETCH(int, movedFrom);
        const bool rich = copies.value(0).startsWith(u"html:"_s);
        for (const QString& text : copies)
            copy(rich ? text.mid(5) : text, rich);
        QVERIFY(openPanelFromEditor());
        for (const QString& key : keys.split(u' ')) {
            if (key.startsWith(u"type:"_s)) {
                xdotool({u"type"_s, u"--delay"_s, u"30"_s, key.mid(5)});
            } else if (key == u"click") {
                const QPoint panel = m_ovelin.panelGeometry().topLeft();
                xdotool({u"mousemove"_s, QString::number(panel.x() + 120), QString::number(panel.y() + 90)});
                xdotool({u"click"_s, u"1"_s});
            } else {
                xdotool({u"key"_s, key});
            }
        }
        if (pasted.isEmpty()) {
            // A paste writes the clipboard, and says so, before it hides the panel: once the panel
            // says it is hidden, no paste is on its way.
            QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
            QVERIFY(waitFor([this] { return m_ovelin.printed(u"🔴 Janela oculta"_s); }));
            QVERIFY(!m_ovelin.printed(u"📋 Conteúdo copiado para a área de transferência"_s));
            QCOMPARE(m_editor->toPlainText(), QString());
            return;
        }
        QVERIFY(waitFor([&] { return m_editor->toPlainText() == pasted; }) && !m_ovelin.panelMapped());
        if (movedFrom > 0) {
            QVERIFY(waitFor([&] {
                return m_ovelin.printed(
                    u"♻️ Removendo duplicata anterior no índice %1"_s.arg(movedFrom));
            }));
        }
        if (rich) {
            // What Ovelin offered for the paste is still on the clipboard.
            const QStringList targets =
                tool(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, u"TARGETS"_s})
                    .split(u'\n');
            QVERIFY2(targets.contains(u"text/plain"_s) || targets.contains(u"UTF8_STRING"_s),
                     qPrintable(targets.join(u' ')));
            QVERIFY2(!targets.contains(u"text/html"_s) && !targets.contains(u"text/rtf"_s),
                     qPrintable(targets.join(u' ')));
        }
    }
};

OVELIN_TEST_MAIN(TestListX11)
#include "tst_list_x11.moc"
