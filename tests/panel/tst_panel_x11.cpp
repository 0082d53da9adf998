#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QWidget>

#include "TestMain.h"
#include "X11Session.h"

using namespace ovelin::test;

// The real executable on the test's X server: texts copied with xclip, the panel opened with the
// hot key, keys and clicks sent with xdotool, and a text editor of the test's own as the
// application that receives the paste. Showing the panel at the pointer is tst_instance_x11's.
class TestPanelX11 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_ovelin;
    QString m_output;
    QString m_panel;
    std::unique_ptr<QPlainTextEdit> m_editor;
    QList<QProcess*> m_clipboardOwners;

    bool printed(const QString& text)
    {
        return waitFor([&] { return m_output.contains(text); });
    }
    bool panelMapped() const
    {
        return tool(u"xwininfo"_s, {u"-id"_s, m_panel}).contains(u"Map State: IsViewable"_s);
    }
    bool panelActive() const { return xdotool({u"getactivewindow"_s}).trimmed() == m_panel; }
    // Presses the global shortcut with the pointer at (x, y).
    static void pressShortcutAt(int x, int y)
    {
        xdotool({u"mousemove"_s, QString::number(x), QString::number(y)});
        xdotool({u"key"_s, u"ctrl+super+v"_s});
    }

    // Another application copies `text`; with `html`, also an HTML form of it. The owner stays
    // in the foreground serving the clipboard, until the next one takes it.
    void copy(const QString& text, bool html = false)
    {
        const QString updated = u"✅ Histórico atualizado"_s;
        const qsizetype before = m_output.count(updated);
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
        QVERIFY(waitFor([&] { return m_output.count(updated) > before; }));
    }

    // The editor is in front; the hot key opens the panel over it.
    bool openPanelFromEditor()
    {
        if (!m_editor) {
            m_editor = std::make_unique<QPlainTextEdit>();
            m_editor->setWindowTitle(u"Paste target"_s);
            m_editor->setGeometry(900, 100, 400, 300);
            m_editor->show();
            if (!QTest::qWaitForWindowExposed(m_editor.get()))
                return false;
        }
        m_editor->clear();
        // A click is what makes the window manager hand over the focus without second thoughts.
        const QPoint inside = m_editor->mapToGlobal(m_editor->rect().center());
        for (int attempt = 0; attempt < 3 && !m_editor->isActiveWindow(); ++attempt) {
            xdotool({u"mousemove"_s, QString::number(inside.x()), QString::number(inside.y())});
            xdotool({u"click"_s, u"1"_s});
            waitFor([this] { return m_editor->isActiveWindow(); }, 1500);
        }
        if (!m_editor->isActiveWindow() || !waitFor([this] { return !panelMapped(); })) {
            qWarning("the editor did not become the active window");
            return false;
        }
        pressShortcutAt(200, 200);
        if (!waitFor([this] { return panelMapped() && panelActive(); })) {
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
        // The real executable in a clean HOME, and its panel window.
        QVERIFY(m_home.isValid());
        m_ovelin.setProcessEnvironment(ovelinEnvironment(m_home.path()));
        m_ovelin.setProcessChannelMode(QProcess::MergedChannels);
        connect(&m_ovelin, &QProcess::readyReadStandardOutput,
                [this] { m_output += QString::fromUtf8(m_ovelin.readAllStandardOutput()); });
        m_ovelin.start(QStringLiteral(OVELIN_EXECUTABLE), {});
        QVERIFY(m_ovelin.waitForStarted(5000));
        QVERIFY(waitFor([this] {
            const QStringList windows =
                xdotool({u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"^ovelin$"_s})
                    .split(u'\n', Qt::SkipEmptyParts);
            for (const QString& window : windows) {
                if (xdotool({u"getwindowname"_s, window}).trimmed() == u"Ovelin"_s)
                    m_panel = window;
            }
            return !m_panel.isEmpty();
        }));
    }

    void cleanupTestCase()
    {
        for (QProcess* xclip : std::as_const(m_clipboardOwners)) {
            xclip->kill();
            xclip->waitForFinished(1000);
        }
        m_ovelin.terminate();
        if (!m_ovelin.waitForFinished(3000))
            m_ovelin.kill();
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qInfo().noquote() << "editor:" << (m_editor ? m_editor->toPlainText() : QString())
                              << "\novelin printed:\n"
                              << m_output.right(3000);
        m_output.clear();
    }

    void thePanelAppearsAtStartUp()
    {
        const QString wmClass = tool(u"xprop"_s, {u"-id"_s, m_panel, u"WM_CLASS"_s});
        QVERIFY2(wmClass.contains(u"\"ovelin\", \"Ovelin\""_s), qPrintable(wmClass));
        QVERIFY(waitFor([this] { return panelMapped(); }));
        QCOMPARE(geometryOf(m_panel), QRect(300, 300, 400, 600));
    }

    void activatingAnotherWindowHidesIt()
    {
        QWidget other;
        other.setWindowTitle(u"Another application"_s);
        other.setGeometry(900, 100, 300, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        xdotool({u"windowactivate"_s, QString::number(other.winId())});
        QVERIFY(waitFor([this] { return !panelMapped(); }));
    }

    // The clipboard is read off the GUI thread: an owner that never answers, and keeps taking the
    // clipboard anew, does not hold up the shortcut.
    void theShortcutWorksWhileTheClipboardOwnerNeverAnswers()
    {
        QProcess owner;
        owner.start(QStringLiteral(X11_FIXTURE), {u"hang"_s, u"300"_s});
        QVERIFY(owner.waitForReadyRead(10000));
        for (int i = 0; i < 3; ++i) {
            pressShortcutAt(500, 400);
            QVERIFY(waitFor([this] { return panelMapped(); }));
            pressShortcutAt(500, 400);
            QVERIFY(waitFor([this] { return !panelMapped(); }));
        }
        owner.kill();
        owner.waitForFinished();
    }

    // Each row copies its own texts, oldest first, so the panel lists them newest first at the
    // top; then keys go to the panel ("type:<text>", "click" on the first row, or xdotool key
    // names) and the editor receives what is pasted, which also shows that the focus went back
    // to it. A paste is captured again and moves to the top from the row it was in.
    void keysAndClicksPasteTheChosenRow_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("movedFrom");  // -1: no paste to capture again
        const QStringList three{u"alpha first entry"_s, u"bravo second entry"_s, u"charlie third entry"_s};
        QTest::newRow("typing and Return paste the match")
            << three << u"type:BRAVO Return"_s << u"bravo second entry"_s << 1;
        // The point is inside the first row, below the search bar, in either style.
        QTest::newRow("a click pastes the row")
            << QStringList{u"echo one"_s, u"echo two"_s} << u"type:one click"_s << u"echo one"_s << -1;
        QTest::newRow("Shift+Return pastes without the rich forms")
            << QStringList{u"html:delta rich entry"_s} << u"shift+Return"_s << u"delta rich entry"_s << 0;
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
                const QPoint panel = geometryOf(m_panel).topLeft();
                xdotool({u"mousemove"_s, QString::number(panel.x() + 120), QString::number(panel.y() + 90)});
                xdotool({u"click"_s, u"1"_s});
            } else {
                xdotool({u"key"_s, key});
            }
        }
        QVERIFY(waitFor([&] { return m_editor->toPlainText() == pasted; }) && !panelMapped());
        if (movedFrom > 0)
            QVERIFY(printed(u"♻️ Removendo duplicata anterior no índice %1"_s.arg(movedFrom)));
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

OVELIN_TEST_MAIN(TestPanelX11)
#include "tst_panel_x11.moc"
