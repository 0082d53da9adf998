#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "FakePanelPresenter.h"
#include "activation/HotkeyManager.h"
#include "activation/ShakeGestureDetector.h"
#include "app/Settings.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

namespace {

void xdotool(const QStringList& arguments)
{
    // The event loop keeps running meanwhile, as it would while a person types and moves.
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
    QCOMPARE(process.exitCode(), 0);
}

// Holding `key` (if any), four alternating moves of 80 pixels, paced so that each move reaches
// the monitor on its own. Relative moves go through XTEST like a real mouse; xdotool's absolute
// mousemove warps the pointer, which no device reports as motion.
QStringList shakeCommand(const QString& key)
{
    QStringList arguments{u"mousemove"_s, u"600"_s, u"400"_s, u"sleep"_s, u"0.06"_s};
    if (!key.isEmpty()) {
        arguments << u"keydown"_s << key;
    }
    arguments << u"mousemove_relative"_s << u"--"_s << u"-5"_s << u"0"_s << u"sleep"_s << u"0.06"_s;
    for (int index = 1; index <= 4; ++index) {
        arguments << u"mousemove_relative"_s << u"--"_s << (index % 2 ? u"80"_s : u"-80"_s) << u"0"_s
                  << u"sleep"_s << u"0.06"_s;
    }
    if (!key.isEmpty()) {
        arguments << u"keyup"_s << key;
    }
    return arguments;
}

} // namespace

class X11ActivationTest : public QObject
{
    Q_OBJECT
    FakePanelPresenter m_presenter;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X server (run under Xvfb with the x11 label)");
        }
        if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty()) {
            QSKIP("xdotool is not installed");
        }
        HotkeyManager::shared().setPresenter(&m_presenter);
        ShakeGestureDetector::shared().setPresenter(&m_presenter);
    }

    void shortcutTogglesThePanel()
    {
        HotkeyManager::shared().registerShortcut(u"⌃⌘V"_s);
        xdotool({u"key"_s, u"ctrl+super+v"_s});
        QTRY_COMPARE(m_presenter.toggles, QStringList{u"shortcut"_s});
        xdotool({u"key"_s, u"ctrl+super+v"_s});
        QTRY_COMPARE(m_presenter.toggles.size(), 2);
    }

    void newShortcutRetiresTheOld()
    {
        m_presenter.toggles.clear();
        HotkeyManager::shared().registerShortcut(u"⌃⌘V"_s);
        HotkeyManager::shared().registerShortcut(u"⌥⇧K"_s);
        xdotool({u"key"_s, u"ctrl+super+v"_s});
        QTest::qWait(300);
        QVERIFY(m_presenter.toggles.isEmpty());
        xdotool({u"key"_s, u"alt+shift+k"_s});
        QTRY_COMPARE(m_presenter.toggles.size(), 1);

        HotkeyManager::shared().registerShortcut(QString());
        xdotool({u"key"_s, u"alt+shift+k"_s});
        QTest::qWait(300);
        QCOMPARE(m_presenter.toggles.size(), 1);
    }

    void shakeWithShiftIsRecognised()
    {
        ShakeGestureDetector::shared().startMonitoring();
        QVERIFY(ShakeGestureDetector::shared().isMonitoring());
        QSignalSpy recognized(&ShakeGestureDetector::shared(), &ShakeGestureDetector::shakeRecognized);

        xdotool(shakeCommand(QString()));
        QTest::qWait(300);
        QCOMPARE(recognized.size(), 0);

        xdotool(shakeCommand(u"shift"_s));
        QTRY_COMPARE(recognized.size(), 1);
        QTRY_COMPARE(m_presenter.shows, 1);
    }
};

OVELIN_TEST_MAIN(X11ActivationTest)
#include "tst_X11Activation.moc"
