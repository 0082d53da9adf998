#pragma once

#include <optional>
#include <vector>

#include <QPointF>
#include <QStringView>
#include <Qt>

/// Recognises a shake of the pointer: quick left-right moves while a chosen modifier is held.
/// A plain object fed with pointer moves and the time they happened, so tests can drive it with
/// synthetic streams and their own clock.
class ShakeRecognizer
{
public:
    static constexpr double shakeThreshold = 30.0;  ///< points; a move must be strictly larger
    static constexpr int requiredShakeCount = 3;    ///< direction reversals
    static constexpr double shakeTimeWindow = 0.5;  ///< seconds; samples this old still count
    static constexpr double cooldownDuration = 1.5; ///< seconds of deafness after a shake

    ShakeRecognizer();

    struct Sample
    {
        double time = 0;
        double deltaX = 0;
    };

    /// The modifier a "selectedShakeModifier" value asks for ("shift", "command", "option");
    /// none for any other value, which disables recognition.
    static std::optional<Qt::KeyboardModifier> requiredModifier(QStringView setting);

    /// Feeds one pointer move at `now` (seconds on a monotonic clock) with the modifiers held at
    /// that moment and the current settings. True when this move completes a shake.
    bool handleMouseMoved(double now, const QPointF& position, Qt::KeyboardModifiers held, bool enabled,
                          QStringView modifierSetting);

    std::optional<QPointF> lastPosition() const { return m_lastPosition; }
    double lastShakeTime() const { return m_lastShakeTime; }
    const std::vector<Sample>& movementHistory() const { return m_movementHistory; }

private:
    void reset();

    std::optional<QPointF> m_lastPosition;
    double m_lastShakeTime;
    std::vector<Sample> m_movementHistory;
};
