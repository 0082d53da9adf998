#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointF>
#include <QString>

#include "activation/ShakeRecognizer.h"

class GlobalMouseMonitor;
class PanelPresenter;
class ShakePulseWindow;

/// Opens the history panel when the user shakes the pointer left and right while holding the
/// modifier chosen in the settings ("enableShakeGesture", "selectedShakeModifier"; every move sees
/// their current values). One shared instance for the process; GUI thread only.
class ShakeGestureDetector : public QObject
{
    Q_OBJECT
public:
    static ShakeGestureDetector& shared();

    /// The panel to show on a shake; not owned. Nothing is shown while none is set.
    void setPresenter(PanelPresenter* presenter) { m_presenter = presenter; }

    /// (Re)installs the global pointer monitor, which listens only while "enableShakeGesture" is
    /// on. When the system offers none, no shake is ever seen and nothing is reported.
    void startMonitoring();
    void stopMonitoring();
    /// Whether a pointer monitor is installed and listening.
    bool isMonitoring() const { return m_monitor != nullptr; }

    /// One pointer move, as the monitor reports it.
    void handleMouseMoved(const QPointF& position, Qt::KeyboardModifiers held);

    /// Where startMonitoring gets its monitor: the application hands in the platform's, tests
    /// give fakes. Without one, no shake is ever seen.
    void setMonitorFactory(std::function<std::unique_ptr<GlobalMouseMonitor>()> factory);
    /// The clock of the recogniser, in seconds (a monotonic clock by default).
    void setClock(std::function<double()> clock);
    /// Forgets partial shakes and the cooldown (tests).
    void resetRecognizer() { m_recognizer = ShakeRecognizer(); }
    const ShakeRecognizer& recognizer() const { return m_recognizer; }
    /// The pulse window, once a shake has shown it.
    ShakePulseWindow* pulseWindow() const { return m_pulse.get(); }

Q_SIGNALS:
    /// A shake was recognised (before the pulse and the panel, which follow from the event loop).
    void shakeRecognized();

private:
    ShakeGestureDetector();
    ~ShakeGestureDetector() override;
    void recognitionAction();
    void updateMonitor();
    void releaseMonitor();

    ShakeRecognizer m_recognizer;
    std::unique_ptr<GlobalMouseMonitor> m_monitor;
    std::function<std::unique_ptr<GlobalMouseMonitor>()> m_monitorFactory;
    std::function<double()> m_clock;
    std::unique_ptr<ShakePulseWindow> m_pulse;
    PanelPresenter* m_presenter = nullptr;
    bool m_monitoringWanted = false;
    bool m_settingsStale = true;
    bool m_enabled = true;
    QString m_modifier;
};
