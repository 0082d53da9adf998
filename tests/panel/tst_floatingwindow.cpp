#include <cmath>
#include <limits>

#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "PrintedLines.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "core/AppEnvironment.h"
#include "core/Settings.h"
#include "panel/CustomPanel.h"
#include "panel/FloatingWindowController.h"
#include "panel/PanelGeometry.h"
#include "panel/ResizeHandleView.h"
#include "panel/WindowManager.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeWindowSystem.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(AppearanceStyle)

class TestFloatingWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FloatingWindowController> m_controller;
    QPointer<QLineEdit> m_field;
    FakeWindowSystem m_windowSystem;
    FakeFrontmostApplicationService m_frontmost;
    ovelin::test::PrintedLines m_lines;

    CustomPanel* panel() const { return m_controller->window(); }
    double storedHeight() const { return Settings::shared().doubleValue(SettingsKey::windowHeight); }

    void build(AppearanceStyle style = AppearanceStyle::Classic, double storedHeight = 0)
    {
        if (storedHeight > 0)
            Settings::shared().setValue(SettingsKey::windowHeight, storedHeight);
        if (style != AppearanceStyle::Classic)
            AppEnvironment::shared().setAppearanceStyle(style);
        m_field = new QLineEdit; // the panel's content
        m_controller = std::make_unique<FloatingWindowController>(m_field, &m_windowSystem);
    }

    static void sendMouse(QWidget* target, QEvent::Type type, int globalY, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(20, 30), QPointF(320, globalY), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

private Q_SLOTS:
    void init()
    {
        QSettings().clear();
        AppEnvironment::shared().reload();
        WindowManager::shared().setWindowSystem(&m_windowSystem);
        WindowManager::shared().setFrontmostApplicationService(&m_frontmost);
        WindowManager::shared().setPointerSource({});
        m_lines.clear();
    }

    void cleanup()
    {
        m_controller.reset();
        WindowManager::shared().setFrontmostApplicationService(nullptr);
        WindowManager::shared().setWindowSystem(nullptr);
    }

    void resizeWindow_data()
    {
        QTest::addColumn<AppearanceStyle>("style");
        QTest::addColumn<double>("requested");
        QTest::addColumn<bool>("persist");
        QTest::addColumn<int>("expectedHeight");
        QTest::addColumn<double>("expectedStored");

        const auto modern = AppearanceStyle::Modern;
        const auto classic = AppearanceStyle::Classic;
        QTest::newRow("modern, stored") << modern << 500.0 << true << 500 << 500.0;
        QTest::newRow("modern, not persisted") << modern << 800.0 << false << 800 << 0.0;
        QTest::newRow("modern, below the minimum: 360") << modern << 200.0 << true << 360 << 360.0;
        QTest::newRow("modern, taller than any screen") << modern << 2000.0 << true << 2000 << 2000.0;
        QTest::newRow("classic: fixed size, nothing stored") << classic << 500.0 << true << 600 << 0.0;
        // Regressions: a non-finite height must neither reach the window system nor be stored.
        QTest::newRow("modern, NaN gives the default") << modern << std::nan("") << true << 600 << 600.0;
        QTest::newRow("modern, infinity gives the default")
            << modern << std::numeric_limits<double>::infinity() << true << 600 << 600.0;
        QTest::newRow("modern, absurdly tall is capped") << modern << 1e12 << true << 16384 << 16384.0;
    }

    void resizeWindow()
    {
        QFETCH(AppearanceStyle, style);
        QFETCH(double, requested);
        QFETCH(bool, persist);
        QFETCH(int, expectedHeight);
        QFETCH(double, expectedStored);

        build(style);
        panel()->move(120, 240);
        WindowManager::shared().resizeWindow(requested, persist);
        QCOMPARE(panel()->geometry(), QRect(120, 240, 400, expectedHeight));
        QCOMPARE(storedHeight(), expectedStored);
    }

    // The modern panel's height from a stored value written by hand, or by something else, into
    // the settings file.
    void storedHeightFromTheFile_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("height");
        QTest::newRow("a number") << QByteArray("900") << 900;
        QTest::newRow("below the minimum") << QByteArray("250") << 360;
        QTest::newRow("a word") << QByteArray("tall") << 600;
        QTest::newRow("NaN") << QByteArray("nan") << 600;
        QTest::newRow("infinite") << QByteArray("inf") << 600;
        QTest::newRow("negative") << QByteArray("-1e300") << 600;
        QTest::newRow("taller than any window") << QByteArray("1e300") << 16384;
        QTest::newRow("100 kB of digits") << QByteArray(100 * 1024, '7') << 600;
    }
    void storedHeightFromTheFile()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, height);
        QSettings().sync();
        QVERIFY(ovelin::test::writeFile(ovelin::test::isolatedEnvironment().configHome() +
                                            u"/Ovelin/Ovelin.conf"_s,
                                        "[General]\nappearance_style=modern\novelinWindowHeight=" + raw + '\n'));
        QSettings().sync();
        AppEnvironment::shared().reload();
        QCOMPARE(PanelGeometry::height(AppEnvironment::shared()), double(height));
        build();
        QCOMPARE(panel()->height(), height);
    }

    void storedModernHeightSurvivesTheClassicStyleUntilReset()
    {
        build(AppearanceStyle::Modern, 450);
        QCOMPARE(panel()->geometry(), QRect(300, 300, 400, 450));
        panel()->move(50, 100);

        AppEnvironment::shared().setAppearanceStyle(AppearanceStyle::Classic);
        QCOMPARE(panel()->geometry(), QRect(50, 100, 400, 600));
        QVERIFY(!m_controller->resizeHandle()->isVisible());
        QCOMPARE(panel()->minimumSize(), QSize(400, 600));
        QCOMPARE(panel()->maximumSize(), QSize(400, 600));
        QCOMPARE(storedHeight(), 450.0);

        AppEnvironment::shared().setAppearanceStyle(AppearanceStyle::Modern);
        QCOMPARE(panel()->geometry(), QRect(50, 100, 400, 450));
        QVERIFY(m_controller->resizeHandle()->isVisible());
        QCOMPARE(panel()->minimumSize(), QSize(400, 360));

        // A reset keeps the top edge and forgets the stored height.
        AppEnvironment::shared().resetWindowHeight();
        QCOMPARE(panel()->geometry(), QRect(50, 100, 400, 600));
        QCOMPARE(storedHeight(), 0.0);
    }

    void resizingByTheStripOrTheWindowManagerIsStored()
    {
        build(AppearanceStyle::Modern);
        ResizeHandleView* strip = m_controller->resizeHandle();
        const int top = panel()->y();
        sendMouse(strip, QEvent::MouseButtonPress, 870, Qt::LeftButton);
        QVERIFY(!panel()->isMovableByWindowBackground());
        // 50 up, 300 up (stops at 360), then 100 below where the drag began.
        for (const auto& [y, height] : {std::pair{820, 550}, {570, 360}, {970, 700}}) {
            sendMouse(strip, QEvent::MouseMove, y, Qt::LeftButton);
            QCOMPARE(panel()->geometry(), QRect(300, top, 400, height));
            QCOMPARE(storedHeight(), double(height));
        }
        sendMouse(strip, QEvent::MouseButtonRelease, 970, Qt::NoButton);
        QVERIFY(panel()->isMovableByWindowBackground());

        // Moves without a press change nothing.
        sendMouse(strip, QEvent::MouseMove, 600, Qt::NoButton);
        QCOMPARE(panel()->height(), 700);

        // A live resize by the window manager is stored once it ends.
        panel()->resize(400, 480);
        QCOMPARE(storedHeight(), 700.0);
        QTRY_COMPARE_WITH_TIMEOUT(storedHeight(), 480.0, 10000);
    }

    void superKeyCombinationsDoNothing()
    {
        build();
        QSignalSpy returns(m_field.data(), &QLineEdit::returnPressed);
        QTest::keyClick(m_field, Qt::Key_A, Qt::MetaModifier);
        QTest::keyClick(m_field, Qt::Key_W, Qt::MetaModifier);
        QCOMPARE(m_field->text(), QString());
        QTest::keyClick(m_field, Qt::Key_A);
        QCOMPARE(m_field->text(), u"a"_s);
        // The list's own keys still arrive with Super held.
        QTest::keyClick(m_field, Qt::Key_Return, Qt::MetaModifier);
        QCOMPARE(returns.count(), 1);
    }

    void hidingTheApplicationGivesTheFocusBackAndShowingKeepsThePlace()
    {
        build();
        // On every desktop, and nothing stored at start.
        QVERIFY(m_windowSystem.stickyWindows.contains(panel()->winId()));
        QVERIFY(!QSettings().contains(SettingsKey::windowHeight));
        panel()->hide();
        m_frontmost.setFrontmostApplication(FrontmostApplication{4242, u"Gedit"_s, u"notes"_s, 77});
        WindowManager::shared().setPointerSource([] { return QPoint(100, 100); });
        WindowManager::shared().showAtCursor(u"shortcut"_s);
        QCOMPARE(WindowManager::shared().previousActiveWindow(), quint64(4242));

        // Showing again while Ovelin's own panel is frontmost keeps the window to go back to.
        m_frontmost.setFrontmostApplication(FrontmostApplication{panel()->winId(), u"Ovelin"_s, {}, {}});
        WindowManager::shared().showWindowAndActivate();
        QCOMPARE(WindowManager::shared().previousActiveWindow(), quint64(4242));

        WindowManager::shared().hideApplication();
        QVERIFY(!panel()->isVisible());
        QCOMPARE(m_frontmost.activatedWindows().last(), quint64(4242));
        // Shown again other than by the shortcut, it stays where it was, whatever the pointer.
        panel()->move(40, 60);
        WindowManager::shared().showWindowAndActivate();
        QVERIFY(panel()->isVisible());
        QCOMPARE(panel()->pos(), QPoint(40, 60));

        // Once the panel is gone, the same operations do nothing.
        m_controller.reset();
        QVERIFY(!WindowManager::shared().window());
        m_lines.clear();
        WindowManager::shared().toggleWindow(u"shortcut"_s);
        WindowManager::shared().showAtCursor(u"unknown"_s);
        WindowManager::shared().resizeWindow(500, true);
        QVERIFY(m_lines.lines().isEmpty());
        QCOMPARE(storedHeight(), 0.0);
    }
};

OVELIN_TEST_MAIN(TestFloatingWindow)
#include "tst_floatingwindow.moc"
