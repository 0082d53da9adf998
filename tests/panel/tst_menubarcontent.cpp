#include <QSystemTrayIcon>
#include <QTest>

#include "PrintedLines.h"
#include "TestMain.h"
#include "history/CaptureGate.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"

using namespace Qt::StringLiterals;

class TestMenuBarContent : public QObject
{
    Q_OBJECT

    static void enter(QWidget* item)
    {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(item, &event);
    }
    static void leave(QWidget* item)
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(item, &event);
    }
    static QList<int> highlighted(const MenuBarContent& menu)
    {
        QList<int> rows;
        for (const MenuBarItemButton* item : menu.items()) {
            if (item->isHighlighted())
                rows.append(item->index());
        }
        return rows;
    }

private Q_SLOTS:
    void onlyTheRowUnderThePointerIsHighlighted()
    {
        MenuBarContent menu;
        menu.show();
        const auto items = menu.items();
        enter(items[0]);
        QCOMPARE(highlighted(menu), QList<int>{0});
        // Straight from the show row onto the preferences row.
        leave(items[0]);
        enter(items[1]);
        QCOMPARE(highlighted(menu), QList<int>{1});
        QCOMPARE(menu.hoveredButton(), std::optional<int>(1));
        // An enter that arrives before the old row's leave still leaves one row lit.
        enter(items[2]);
        leave(items[1]);
        QCOMPARE(highlighted(menu), QList<int>{2});
        // Onto the header or a divider: nothing.
        leave(items[2]);
        QCOMPARE(highlighted(menu), QList<int>{});
        QCOMPARE(menu.hoveredButton(), std::nullopt);
    }

    void pauseRowsPauseAndResumeAndDimTheIconWithoutATrayHost()
    {
        // Without a tray host: one line, and the menu still works.
        ovelin::test::PrintedLines lines;
        StatusItem status;
        status.install();
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QCOMPARE(lines.lines().size(), 1);
        QVERIFY(lines.lines().first().startsWith(u"⚠️"_s));
        status.openMenu();
        QVERIFY(status.menuWindow()->isVisible());
        MenuBarContent& menu = *status.content();
        const auto inkAlpha = [&status] {
            const QImage image = status.trayIcon()->icon().pixmap(32, 32).toImage();
            int alpha = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    alpha = std::max(alpha, qAlpha(image.pixel(x, y)));
            return alpha;
        };
        const int bright = inkAlpha();
        const auto row = [&menu](int index) -> MenuBarItemButton* {
            for (MenuBarItemButton* item : menu.items())
                if (item->index() == index)
                    return item;
            return nullptr;
        };
        QVERIFY(!row(MenuBarContent::ResumeItem));
        enter(row(MenuBarContent::PauseHourItem));
        row(MenuBarContent::PauseHourItem)->click();
        QVERIFY(CaptureGate::shared().isPaused());
        QVERIFY(CaptureGate::shared().pausedUntil());
        QTRY_VERIFY(row(MenuBarContent::ResumeItem));
        QVERIFY(!row(MenuBarContent::PauseHourItem));
        QCOMPARE(menu.hoveredButton(), std::nullopt); // the rows were made anew
        QCOMPARE(menu.items().at(MenuBarContent::QuitItem)->index(), int(MenuBarContent::QuitItem));
        QVERIFY(inkAlpha() < bright);
        QCOMPARE(status.trayIcon()->toolTip(), u"tray_capture_paused"_s); // no translator loaded

        row(MenuBarContent::ResumeItem)->click();
        QVERIFY(!CaptureGate::shared().isPaused());
        QTRY_VERIFY(row(MenuBarContent::PauseUntilResumedItem));
        QCOMPARE(inkAlpha(), bright);
    }

    void placementNextToTheIcon_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("icon in a top panel: below it") << QRect(1800, 0, 24, 24) << QPoint(1720, 28);
        QTest::newRow("icon in a bottom panel: above it")
            << QRect(100, 1056, 24, 24) << QPoint(100, 1056 - 150 - 4);
        QTest::newRow("left edge") << QRect(0, 0, 24, 24) << QPoint(0, 28);
    }

    void placementNextToTheIcon()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        QCOMPARE(MenuBarWindow::placement(anchor, QSize(200, 150), QRect(0, 0, 1920, 1080)), expected);
    }
};

OVELIN_TEST_MAIN(TestMenuBarContent)
#include "tst_menubarcontent.moc"
