#include <QTest>

#include "TestMain.h"
#include "panel/PanelPlacement.h"

// The panel is 400 x 600; screens are full geometries, y downwards.
class TestPanelPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void origin_data()
    {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QPoint>("expected");

        const QRect single(0, 0, 1920, 1080);
        const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

        QTest::newRow("exactly fits at the right edge")
            << QList{single} << QPoint(1510, 200) << true << QPoint(1520, 210);
        QTest::newRow("one point too wide goes left")
            << QList{single} << QPoint(1511, 200) << true << QPoint(1101, 210);
        QTest::newRow("200 above the bottom: bottom 10 above the screen's bottom")
            << QList{single} << QPoint(500, 880) << true << QPoint(510, 1080 - 10 - 600);
        QTest::newRow("near the top-left corner, no correction")
            << QList{single} << QPoint(0, 0) << true << QPoint(10, 10);
        QTest::newRow("second screen: its own edges")
            << two << QPoint(3100, 100) << true << QPoint(3100 - 410, 110);
        QTest::newRow("second screen: its own bottom")
            << two << QPoint(2000, 1000) << true << QPoint(2010, 1024 - 610);
        QTest::newRow("first screen's right edge is not the second's")
            << two << QPoint(1700, 100) << true << QPoint(1290, 110);
        QTest::newRow("off every screen: stays") << two << QPoint(5000, 5000) << false << QPoint();
        QTest::newRow("below the shorter second screen: off screen")
            << two << QPoint(2000, 1050) << false << QPoint();
        QTest::newRow("screen shorter than the panel: top goes above, uncorrected")
            << QList{QRect(0, 0, 800, 500)} << QPoint(100, 100) << true << QPoint(110, -110);
        QTest::newRow("screen at negative coordinates")
            << QList{QRect(-1280, 0, 1280, 1024), single} << QPoint(-100, 100) << true << QPoint(-510, 110);
    }

    void origin()
    {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, pointer);
        QFETCH(bool, placed);
        QFETCH(QPoint, expected);

        const auto result = PanelPlacement::origin(pointer, QSize(400, 600), screens);
        QCOMPARE(result.has_value(), placed);
        if (placed)
            QCOMPARE(*result, expected);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
