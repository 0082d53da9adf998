#include <QCursor>
#include <QSignalSpy>
#include <QTest>

#include "FakePanelPresenter.h"
#include "activation/ShakeGestureDetector.h"
#include "activation/ShakePulseWindow.h"
#include "common/Console.h"
#include "core/Settings.h"
#include "platform/fake/FakeGlobalMouseMonitor.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

class ShakeGestureDetectorTest : public QObject
{
    Q_OBJECT
    FakePanelPresenter m_presenter;
    FakeGlobalMouseMonitor* m_monitor = nullptr;
    bool m_monitorAvailable = true;
    int m_monitorsMade = 0;
    double m_now = 100;
    QStringList m_lines;

    ShakeGestureDetector& detector() { return ShakeGestureDetector::shared(); }

    // A start position and four alternating moves of 40 points, 0.1 s apart.
    void shake(Qt::KeyboardModifiers held = Qt::ShiftModifier)
    {
        for (int index = 0; index <= 4; ++index) {
            m_monitor->move(QPointF(index % 2 ? 540 : 500, 300), held);
            m_now += 0.1;
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        detector().setPresenter(&m_presenter);
        detector().setClock([this] { return m_now; });
        detector().setMonitorFactory([this]() -> std::unique_ptr<GlobalMouseMonitor> {
            auto monitor = std::make_unique<FakeGlobalMouseMonitor>(m_monitorAvailable);
            m_monitor = monitor.get();
            ++m_monitorsMade;
            return monitor;
        });
        ovelin::setLineObserverForTesting([this](const QString& line) { m_lines.append(line); });
    }

    void init()
    {
        Settings::shared().remove(QString(SettingsKey::enableShakeGesture));
        Settings::shared().remove(QString(SettingsKey::selectedShakeModifier));
        detector().resetRecognizer();
        m_monitorAvailable = true;
        detector().startMonitoring();
        m_lines.clear();
        m_presenter.shows = 0;
        m_now += 10;
    }

    void shakeShowsPulseAndPanel()
    {
        QSignalSpy recognized(&detector(), &ShakeGestureDetector::shakeRecognized);
        shake();
        QCOMPARE(recognized.size(), 1);
        QCOMPARE(m_lines, QStringList{u"🎯 Shake detectado com modificador correto!"_s});
        QCOMPARE(m_presenter.shows, 0); // the window work follows from the event loop
        QTRY_COMPARE(m_presenter.shows, 1);

        ShakePulseWindow* pulse = detector().pulseWindow();
        QVERIFY(pulse != nullptr);
        QVERIFY(pulse->isVisible());
        QCOMPARE(pulse->pos(), QCursor::pos() - QPoint(30, 30));
        QVERIFY(pulse->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QTRY_VERIFY_WITH_TIMEOUT(!pulse->isVisible(), 10000);

        // Without a panel to show, a shake still pulses; a new modifier setting is followed without
        // a restart (which setting takes which modifier is tst_ShakeRecognizer's table).
        m_now += 10;
        detector().setPresenter(nullptr);
        Settings::shared().setValue(QString(SettingsKey::selectedShakeModifier), u"option"_s);
        shake(Qt::AltModifier);
        QCOMPARE(recognized.size(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(detector().pulseWindow() && detector().pulseWindow()->isVisible(), 10000);
        detector().setPresenter(&m_presenter);
        QCOMPARE(m_presenter.shows, 1);
    }

    // The monitor runs only while the gesture is on and monitoring was asked for; each start
    // replaces it, and a system without global pointer events gets none, silently.
    void monitorListensOnlyWhileTheShakeIsOn()
    {
        int made = m_monitorsMade;
        detector().startMonitoring();
        QCOMPARE(m_monitorsMade, ++made);
        QSignalSpy recognized(&detector(), &ShakeGestureDetector::shakeRecognized);
        shake();
        QCOMPARE(recognized.size(), 1);

        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), false);
        QVERIFY(!detector().isMonitoring());
        detector().startMonitoring();
        QVERIFY(!detector().isMonitoring());
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), true);
        QVERIFY(detector().isMonitoring());
        QCOMPARE(m_monitorsMade, ++made);
        detector().stopMonitoring();
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), false);
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), true);
        QVERIFY(!detector().isMonitoring()); // stopped stays stopped

        m_lines.clear();
        m_monitorAvailable = false;
        detector().startMonitoring();
        QVERIFY(!detector().isMonitoring());
        QVERIFY(m_lines.isEmpty());
    }
};

OVELIN_TEST_MAIN(ShakeGestureDetectorTest)
#include "tst_ShakeGestureDetector.moc"
