#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "FakePanelPresenter.h"
#include "HotKey/KeyboardDriver.h"
#include "activation/ShakeGestureDetector.h"
#include "core/Settings.h"
#include "platform/GlobalMouseMonitor.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;
using ovelin::test::xdotool;

namespace {

// Holding `key` (if any), four alternating moves of 80 pixels, paced so that each move reaches
// the monitor on its own. Relative moves go through XTEST like a real mouse; xdotool's absolute
// mousemove warps the pointer, which no device reports as motion.
QStringList shakeCommand(const QString& key)
{
    QStringList arguments{u"mousemove"_s, u"600"_s, u"400"_s, u"sleep"_s, u"0.06"_s};
    if (!key.isEmpty())
        arguments << u"keydown"_s << key;
    arguments << u"mousemove_relative"_s << u"--"_s << u"-5"_s << u"0"_s << u"sleep"_s << u"0.06"_s;
    for (int index = 1; index <= 4; ++index) {
        arguments << u"mousemove_relative"_s << u"--"_s << (index % 2 ? u"80"_s : u"-80"_s) << u"0"_s
                  << u"sleep"_s << u"0.06"_s;
    }
    if (!key.isEmpty())
        arguments << u"keyup"_s << key;
    return arguments;
}

// The platform's pointer monitor, noting the last position it reported: a move to a spot of the
// test's choosing is the sentinel that every earlier move has been handled.
class NotingMonitor : public GlobalMouseMonitor
{
public:
    explicit NotingMonitor(QPointF* last) : m_real(createGlobalMouseMonitor()), m_last(last) {}
    bool start(Handler handler) override
    {
        return m_real && m_real->start([this, handler](const QPointF& position, Qt::KeyboardModifiers held) {
            *m_last = position;
            handler(position, held);
        });
    }
    void stop() override
    {
        if (m_real)
            m_real->stop();
    }
    bool isRunning() const override { return m_real && m_real->isRunning(); }

private:
    std::unique_ptr<GlobalMouseMonitor> m_real;
    QPointF* m_last;
};

} // namespace

class X11ActivationTest : public QObject
{
    Q_OBJECT
    FakePanelPresenter m_presenter;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X server (run under Xvfb with the x11 label)");
        if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
            QSKIP("xdotool is not installed");
        ShakeGestureDetector::shared().setPresenter(&m_presenter);
    }

    void shakeWithShiftIsRecognised()
    {
        QPointF lastMove;
        ShakeGestureDetector::shared().setMonitorFactory(
            [&lastMove] { return std::make_unique<NotingMonitor>(&lastMove); });
        ShakeGestureDetector::shared().startMonitoring();
        QVERIFY(ShakeGestureDetector::shared().isMonitoring());
        QSignalSpy recognized(&ShakeGestureDetector::shared(), &ShakeGestureDetector::shakeRecognized);

        // The shake ends at (595, 400); the sentinel move goes down from there.
        xdotool(shakeCommand(QString()) << u"mousemove_relative"_s << u"--"_s << u"0"_s << u"37"_s);
        QTRY_COMPARE_WITH_TIMEOUT(lastMove, QPointF(595, 437), 10000);
        QCOMPARE(recognized.size(), 0);

        xdotool(shakeCommand(u"shift"_s));
        QTRY_COMPARE_WITH_TIMEOUT(recognized.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_presenter.shows, 1, 10000);
        ShakeGestureDetector::shared().stopMonitoring();
    }
};

OVELIN_TEST_MAIN(X11ActivationTest)
#include "tst_X11Activation.moc"
