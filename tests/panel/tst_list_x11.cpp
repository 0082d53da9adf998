#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"

using namespace Qt::StringLiterals;

// The history list in the real executable on the test's X server: texts copied with xclip,
// the panel opened with the hot key, keys and clicks sent with xdotool, and a text editor of
// the test's own as the application that receives the paste.
class TestListX11 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_ovelin;
    QString m_output;
    QString m_panel;
    std::unique_ptr<QPlainTextEdit> m_editor;
    QList<QProcess*> m_clipboardOwners;

    static QString tool(const QString& program, const QStringList& args, const QByteArray& input = {})
    {
        QProcess process;
        process.start(program, args);
        if (!input.isNull()) {
            process.write(input);
            process.closeWriteChannel();
        }
        if (!process.waitForFinished(5000))
            return {};
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (condition())
                return true;
            QTest::qWait(50);
        }
        return condition();
    }

    bool panelMapped() const
    {
        return tool(u"xwininfo"_s, {u"-id"_s, m_panel}).contains(u"Map State: IsViewable"_s);
    }
    QPoint panelTopLeft() const
    {
        const QString info = tool(u"xwininfo"_s, {u"-id"_s, m_panel});
        const auto number = [&info](const QString& label) {
            return QRegularExpression(QRegularExpression::escape(label) + u":\\s*(-?\\d+)"_s)
                .match(info)
                .captured(1)
                .toInt();
        };
        return {number(u"Absolute upper-left X"_s), number(u"Absolute upper-left Y"_s)};
    }
    QString activeWindow() const { return tool(u"xdotool"_s, {u"getactivewindow"_s}).trimmed(); }
    qsizetype linesStartingWith(const QString& prefix) const
    {
        qsizetype n = 0;
        for (const QString& line : m_output.split(u'\n'))
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }

    void copy(const QString& text)
    {
        const qsizetype before = linesStartingWith(u"✅ Histórico atualizado"_s);
        // xclip stays in the foreground serving the selection, as the copying application would,
        // until the next owner takes it.
        auto* xclip = new QProcess(this);
        xclip->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        QVERIFY(xclip->waitForStarted(3000));
        xclip->write(text.toUtf8());
        xclip->closeWriteChannel();
        m_clipboardOwners << xclip;
        QVERIFY(waitFor([&] { return linesStartingWith(u"✅ Histórico atualizado"_s) > before; }));
    }

    // The editor is in front; the hot key opens the panel over it.
    bool openPanelFromEditor()
    {
        m_editor->clear();
        // A click is what makes the window manager hand over the focus without second thoughts.
        const QPoint inside = m_editor->mapToGlobal(m_editor->rect().center());
        for (int attempt = 0; attempt < 3 && !m_editor->isActiveWindow(); ++attempt) {
            tool(u"xdotool"_s, {u"mousemove"_s, QString::number(inside.x()), QString::number(inside.y())});
            tool(u"xdotool"_s, {u"click"_s, u"1"_s});
            waitFor([this] { return m_editor->isActiveWindow(); }, 1500);
        }
        if (!m_editor->isActiveWindow() || !waitFor([this] { return !panelMapped(); })) {
            qWarning("the editor did not become the active window");
            return false;
        }
        tool(u"xdotool"_s, {u"mousemove"_s, u"200"_s, u"200"_s});
        tool(u"xdotool"_s, {u"key"_s, u"ctrl+super+v"_s});
        if (!waitFor([this] { return panelMapped() && activeWindow() == m_panel; })) {
            qWarning("the shortcut did not bring the panel up");
            return false;
        }
        // The search text stays from the last time the panel was open; empty it.
        tool(u"xdotool"_s, {u"key"_s, u"ctrl+a"_s, u"BackSpace"_s});
        QTest::qWait(300); // the rows' fade-in
        return true;
    }

    void readOutput() { m_output += QString::fromUtf8(m_ovelin.readAllStandardOutput()); }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        QVERIFY(m_home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"config", "data", "cache"})
            QDir(m_home.path()).mkpath(QString::fromLatin1(sub));
        environment.insert(u"HOME"_s, m_home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        environment.insert(u"XDG_CACHE_HOME"_s, m_home.filePath(u"cache"_s));
        environment.insert(u"OVELIN_ANALYTICS_URL"_s, u"http://127.0.0.1:9/"_s);
        environment.remove(u"QT_QPA_PLATFORM"_s);
        m_ovelin.setProcessEnvironment(environment);
        connect(&m_ovelin, &QProcess::readyReadStandardOutput, this, &TestListX11::readOutput);
        m_ovelin.start(QStringLiteral(OVELIN_EXECUTABLE), {});
        QVERIFY(m_ovelin.waitForStarted(5000));
        QVERIFY(waitFor(
            [this] {
                const QStringList windows =
                    tool(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"^ovelin$"_s})
                        .split(u'\n', Qt::SkipEmptyParts);
                for (const QString& window : windows) {
                    if (tool(u"xdotool"_s, {u"getwindowname"_s, window}).trimmed() == u"Ovelin"_s)
                        m_panel = window;
                }
                return !m_panel.isEmpty();
            },
            10000));
        QVERIFY(waitFor(
            [this] { return m_output.contains(u"📋 Monitoramento da área de transferência iniciado!"_s); }));

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
        if (m_ovelin.state() != QProcess::NotRunning) {
            m_ovelin.terminate();
            if (!m_ovelin.waitForFinished(3000))
                m_ovelin.kill();
        }
        for (QProcess* xclip : std::as_const(m_clipboardOwners)) {
            if (xclip->state() != QProcess::NotRunning) {
                xclip->kill();
                xclip->waitForFinished(1000);
            }
        }
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qInfo().noquote() << "editor:" << m_editor->toPlainText() << "\novelin printed:\n"
                              << m_output.right(3000);
        m_output.clear();
    }

    void typingAndReturnPastesTheMatch()
    {
        QVERIFY(openPanelFromEditor());
        tool(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"30"_s, u"BRAVO"_s});
        QTest::qWait(200);
        tool(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(waitFor([this] { return m_editor->toPlainText() == u"bravo second entry"_s; }));
        QVERIFY(!panelMapped());
        // The paste is captured again and goes to the top: bravo, charlie, alpha.
        QVERIFY(waitFor(
            [this] { return m_output.contains(u"♻️ Removendo duplicata anterior no índice 1"_s); }));
    }

    void downTwiceAndReturnPastesTheThirdRow()
    {
        QVERIFY(openPanelFromEditor());
        tool(u"xdotool"_s, {u"key"_s, u"Down"_s});
        tool(u"xdotool"_s, {u"key"_s, u"Down"_s});
        tool(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(waitFor([this] { return m_editor->toPlainText() == u"alpha first entry"_s; }));
        QVERIFY(!panelMapped());
        QVERIFY(waitFor(
            [this] { return m_output.contains(u"♻️ Removendo duplicata anterior no índice 2"_s); }));
    }

    void escapeHidesWithoutPasting()
    {
        QVERIFY(openPanelFromEditor());
        tool(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QVERIFY(waitFor([this] { return !panelMapped(); }));
        QTest::qWait(600);
        QCOMPARE(m_editor->toPlainText(), QString());
    }

    void clickingARowPastesIt()
    {
        // The history is alpha, bravo, charlie; the second row is bravo.
        QVERIFY(openPanelFromEditor());
        const QPoint panel = panelTopLeft();
        tool(u"xdotool"_s,
             {u"mousemove"_s, QString::number(panel.x() + 120), QString::number(panel.y() + 130)});
        QTest::qWait(100);
        tool(u"xdotool"_s, {u"click"_s, u"1"_s});
        QVERIFY(waitFor([this] { return m_editor->toPlainText() == u"bravo second entry"_s; }));
        QVERIFY(!panelMapped());
    }
};

OVELIN_TEST_MAIN(TestListX11)
#include "tst_list_x11.moc"
