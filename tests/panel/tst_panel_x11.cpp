#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "TestMain.h"

using namespace Qt::StringLiterals;

// The real executable on the test's X server, in a clean HOME, observed with the ordinary X tools.
class TestPanelX11 : public QObject
{
    Q_OBJECT

    struct WindowState
    {
        bool mapped = false;
        QRect geometry;
    };

    QTemporaryDir m_home;
    QProcess m_ovelin;
    QString m_output;
    QString m_panel;

    static QString tool(const QString& program, const QStringList& args)
    {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(5000))
            return {};
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    WindowState panelState() const
    {
        const QString info = tool(u"xwininfo"_s, {u"-id"_s, m_panel});
        const auto number = [&info](const QString& label) {
            const QRegularExpression pattern(QRegularExpression::escape(label) + u":\\s*(-?\\d+)"_s);
            return pattern.match(info).captured(1).toInt();
        };
        WindowState state;
        state.mapped = info.contains(u"Map State: IsViewable"_s);
        state.geometry = QRect(number(u"Absolute upper-left X"_s), number(u"Absolute upper-left Y"_s),
                               number(u"Width"_s), number(u"Height"_s));
        return state;
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

    QString activeWindow() const { return tool(u"xdotool"_s, {u"getactivewindow"_s}).trimmed(); }

    void pressShortcutAt(int x, int y)
    {
        tool(u"xdotool"_s, {u"mousemove"_s, QString::number(x), QString::number(y)});
        tool(u"xdotool"_s, {u"key"_s, u"ctrl+super+v"_s});
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
        m_ovelin.setProcessChannelMode(QProcess::MergedChannels);
        m_ovelin.start(QStringLiteral(OVELIN_EXECUTABLE), {});
        QVERIFY(m_ovelin.waitForStarted(5000));
        connect(&m_ovelin, &QProcess::readyReadStandardOutput, this, &TestPanelX11::readOutput);

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
    }

    void cleanupTestCase()
    {
        if (m_ovelin.state() != QProcess::NotRunning) {
            m_ovelin.terminate();
            if (!m_ovelin.waitForFinished(3000))
                m_ovelin.kill();
        }
    }

    void thePanelAppearsAtStartUp()
    {
        const QString wmClass = tool(u"xprop"_s, {u"-id"_s, m_panel, u"WM_CLASS"_s});
        QVERIFY2(wmClass.contains(u"\"ovelin\", \"Ovelin\""_s), qPrintable(wmClass));
        const QString name = tool(u"xprop"_s, {u"-id"_s, m_panel, u"WM_NAME"_s});
        QVERIFY2(name.contains(u"\"Ovelin\""_s), qPrintable(name));
        QVERIFY(waitFor([this] { return panelState().mapped; }));
        QCOMPARE(panelState().geometry, QRect(300, 300, 400, 600));
        QVERIFY(waitFor([this] { return m_output.contains(u"🚀 OvelinApp iniciado com AppDelegate ✅"_s); }));
        QVERIFY(waitFor(
            [this] { return m_output.contains(u"📋 Monitoramento da área de transferência iniciado!"_s); }));
    }

    void activatingAnotherWindowHidesIt()
    {
        QWidget editor;
        editor.setWindowTitle(u"Another application"_s);
        editor.setGeometry(900, 100, 300, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        tool(u"xdotool"_s, {u"windowactivate"_s, QString::number(editor.winId())});
        QVERIFY(waitFor([this] { return !panelState().mapped; }));
    }

    void theShortcutShowsItNextToThePointerAndHidesItAgain()
    {
        pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return panelState().mapped; }));
        QCOMPARE(panelState().geometry, QRect(510, 410, 400, 600));
        QVERIFY(waitFor([this] { return activeWindow() == m_panel; }));
        QVERIFY(waitFor([this] { return m_output.contains(u"📍 Janela posicionada com base no cursor."_s); }));

        pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return !panelState().mapped; }));
        QVERIFY(waitFor([this] { return m_output.contains(u"🔴 Janela oculta"_s); }));
    }

    void nearTheRightEdgeItOpensToTheLeft()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const int x = screen.x() + screen.width() - 100;
        pressShortcutAt(x, 300);
        QVERIFY(waitFor([this] { return panelState().mapped; }));
        QCOMPARE(panelState().geometry, QRect(x - 410, 310, 400, 600));
        pressShortcutAt(x, 300);
        QVERIFY(waitFor([this] { return !panelState().mapped; }));
    }

    void pastingGivesTheFocusBackToTheWindowTheShortcutWasPressedIn()
    {
        QProcess copier;
        copier.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s});
        QVERIFY(copier.waitForStarted(5000));
        copier.write("pasted through Ovelin");
        copier.closeWriteChannel();
        QTest::qWait(2000); // the monitor looks once a second

        QLineEdit editor;
        editor.setWindowTitle(u"Editor"_s);
        editor.setGeometry(900, 500, 400, 40);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QString editorId = QString::number(editor.winId());
        tool(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, editorId});
        QVERIFY(waitFor([&] { return activeWindow() == editorId; }));

        pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return panelState().mapped && activeWindow() == m_panel; }));
        tool(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(waitFor([this] { return !panelState().mapped; }));
        QVERIFY(waitFor([&] { return activeWindow() == editorId; }));
        const bool pasted = waitFor([&] { return editor.text() == u"pasted through Ovelin"_s; });
        if (!pasted)
            qWarning().noquote() << "editor:" << editor.text() << "\nlast output:\n" << m_output.right(600);
        QVERIFY(pasted);
        copier.kill();
        copier.waitForFinished(2000);
    }
};

OVELIN_TEST_MAIN(TestPanelX11)
#include "tst_panel_x11.moc"
