#include "ShakeGestureDetector.h"

#include <chrono>

#include <QCursor>
#include <QPointer>

#include "activation/ShakePulseWindow.h"
#include "common/Console.h"
#include "core/PanelPresenter.h"
#include "core/Settings.h"
#include "platform/GlobalMouseMonitor.h"

using namespace Qt::StringLiterals;

namespace {

double monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ShakeGestureDetector& ShakeGestureDetector::shared()
{
    // Kept for the whole process, past the application object: never destroyed.
    static auto* instance = new ShakeGestureDetector;
    return *instance;
}

ShakeGestureDetector::ShakeGestureDetector() : m_clock(&monotonicSeconds)
{
    // Every write of a setting goes through Settings and is announced; the copy is refreshed on
    // the next move after a change.
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == QStringView(SettingsKey::enableShakeGesture) ||
            key == QStringView(SettingsKey::selectedShakeModifier)) {
            m_settingsStale = true;
        }
        if (key == QStringView(SettingsKey::enableShakeGesture) && m_monitoringWanted) {
            updateMonitor();
        }
    });
}

ShakeGestureDetector::~ShakeGestureDetector() = default;

void ShakeGestureDetector::setMonitorFactory(std::function<std::unique_ptr<GlobalMouseMonitor>()> factory)
{
    m_monitorFactory = std::move(factory);
}

void ShakeGestureDetector::setClock(std::function<double()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<double()>(&monotonicSeconds);
}

void ShakeGestureDetector::startMonitoring()
{
    releaseMonitor();
    m_monitoringWanted = true;
    updateMonitor();
}

void ShakeGestureDetector::stopMonitoring()
{
    m_monitoringWanted = false;
    releaseMonitor();
}

void ShakeGestureDetector::updateMonitor()
{
    // Every pointer move costs a round trip to the X server: nobody listens while the shake is off.
    const bool enabled = Settings::shared().boolValue(QString(SettingsKey::enableShakeGesture));
    if (!enabled) {
        releaseMonitor();
        return;
    }
    if (m_monitor) {
        return;
    }
    std::unique_ptr<GlobalMouseMonitor> monitor = m_monitorFactory ? m_monitorFactory() : nullptr;
    if (!monitor) {
        return;
    }
    QPointer<ShakeGestureDetector> detector(this);
    const bool started = monitor->start([detector](const QPointF& position, Qt::KeyboardModifiers held) {
        if (detector) {
            detector->handleMouseMoved(position, held);
        }
    });
    if (started) {
        m_monitor = std::move(monitor);
    }
}

void ShakeGestureDetector::releaseMonitor()
{
    if (m_monitor) {
        m_monitor->stop();
        m_monitor.reset();
    }
}

void ShakeGestureDetector::handleMouseMoved(const QPointF& position, Qt::KeyboardModifiers held)
{
    // Reading QSettings costs tens of microseconds, too much for every pointer move on the
    // screen; the values are read again whenever Settings reports a change of either key.
    if (m_settingsStale) {
        const Settings& settings = Settings::shared();
        m_enabled = settings.boolValue(QString(SettingsKey::enableShakeGesture));
        m_modifier = settings.stringValue(QString(SettingsKey::selectedShakeModifier));
        m_settingsStale = false;
    }
    if (m_recognizer.handleMouseMoved(m_clock(), position, held, m_enabled, m_modifier)) {
        recognitionAction();
    }
}

void ShakeGestureDetector::recognitionAction()
{
    ovelin::printLine(u"🎯 Shake detectado com modificador correto!"_s);
    Q_EMIT shakeRecognized();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_pulse) {
                m_pulse = std::make_unique<ShakePulseWindow>();
            }
            m_pulse->pulse(QCursor::pos());
            if (m_presenter != nullptr) {
                m_presenter->showWindowAndActivate();
            }
        },
        Qt::QueuedConnection);
}
