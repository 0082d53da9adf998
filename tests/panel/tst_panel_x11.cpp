#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

#include "TestMain.h"
#include "X11Session.h"

using namespace ovelin::test;

// The real executable on the test's X server, in a clean HOME, observed with the ordinary X tools.
class TestPanelX11 : public QObject
{
    Q_OBJECT

    OvelinOnX11 m_ovelin;

    bool printed(const QString& text)
    {
        return waitFor([&] { return m_ovelin.printed(text); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server (run under Xvfb)");
        QVERIFY(m_ovelin.start(QProcess::MergedChannels));
    }

    void thePanelAppearsAtStartUp()
    {
        const QString wmClass = tool(u"xprop"_s, {u"-id"_s, m_ovelin.panel, u"WM_CLASS"_s});
        QVERIFY2(wmClass.contains(u"\"ovelin\", \"Ovelin\""_s), qPrintable(wmClass));
        const QString name = tool(u"xprop"_s, {u"-id"_s, m_ovelin.panel, u"WM_NAME"_s});
        QVERIFY2(name.contains(u"\"Ovelin\""_s), qPrintable(name));
        QVERIFY(waitFor([this] { return m_ovelin.panelMapped(); }));
        QCOMPARE(m_ovelin.panelGeometry(), QRect(300, 300, 400, 600));
        QVERIFY(printed(u"🚀 OvelinApp iniciado com AppDelegate ✅"_s));
        QVERIFY(printed(u"📋 Monitoramento da área de transferência iniciado!"_s));
    }

    void activatingAnotherWindowHidesIt()
    {
        QWidget editor;
        editor.setWindowTitle(u"Another application"_s);
        editor.setGeometry(900, 100, 300, 200);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        xdotool({u"windowactivate"_s, QString::number(editor.winId())});
        QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
    }

    void theShortcutShowsItNextToThePointerAndHidesItAgain()
    {
        OvelinOnX11::pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return m_ovelin.panelMapped(); }));
        QCOMPARE(m_ovelin.panelGeometry(), QRect(510, 410, 400, 600));
        QVERIFY(waitFor([this] { return m_ovelin.panelActive(); }));
        QVERIFY(printed(u"📍 Janela posicionada com base no cursor."_s));

        OvelinOnX11::pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
        QVERIFY(printed(u"🔴 Janela oculta"_s));
    }

    // The clipboard is read off the GUI thread: an owner that never answers, and keeps taking the
    // clipboard anew, does not hold up the shortcut.
    void theShortcutWorksWhileTheClipboardOwnerNeverAnswers()
    {
        QProcess owner;
        owner.start(QStringLiteral(X11_FIXTURE), {u"hang"_s, u"300"_s});
        QVERIFY(owner.waitForReadyRead(10000));
        for (int i = 0; i < 3; ++i) {
            OvelinOnX11::pressShortcutAt(500, 400);
            QVERIFY(waitFor([this] { return m_ovelin.panelMapped(); }));
            OvelinOnX11::pressShortcutAt(500, 400);
            QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
        }
        owner.kill();
        owner.waitForFinished();
    }

    void pastingGivesTheFocusBackToTheWindowTheShortcutWasPressedIn()
    {
        const QString captured = u"⬆️ Inserindo item no topo do histórico"_s;
        const qsizetype capturedBefore = m_ovelin.output.count(captured);
        QProcess copier;
        copier.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s});
        QVERIFY(copier.waitForStarted(5000));
        copier.write("pasted through Ovelin");
        copier.closeWriteChannel();
        QVERIFY(waitFor([&] { return m_ovelin.output.count(captured) > capturedBefore; }));

        QLineEdit editor;
        editor.setWindowTitle(u"Editor"_s);
        editor.setGeometry(900, 500, 400, 40);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QString editorId = QString::number(editor.winId());
        xdotool({u"windowactivate"_s, u"--sync"_s, editorId});
        QVERIFY(waitFor([&] { return OvelinOnX11::activeWindow() == editorId; }));

        OvelinOnX11::pressShortcutAt(500, 400);
        QVERIFY(waitFor([this] { return m_ovelin.panelMapped() && m_ovelin.panelActive(); }));
        xdotool({u"key"_s, u"Return"_s});
        QVERIFY(waitFor([this] { return !m_ovelin.panelMapped(); }));
        QVERIFY(waitFor([&] { return OvelinOnX11::activeWindow() == editorId; }));
        const bool pasted = waitFor([&] { return editor.text() == u"pasted through Ovelin"_s; });
        if (!pasted)
            qWarning().noquote() << "editor:" << editor.text() << "\nlast output:\n"
                                 << m_ovelin.output.right(600);
        QVERIFY(pasted);
        copier.kill();
        copier.waitForFinished(2000);
    }
};

OVELIN_TEST_MAIN(TestPanelX11)
#include "tst_panel_x11.moc"
