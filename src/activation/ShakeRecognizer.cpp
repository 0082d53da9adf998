#include "ShakeRecognizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

ShakeRecognizer::ShakeRecognizer() : m_lastShakeTime(-std::numeric_limits<double>::infinity())
{
}

std::optional<Qt::KeyboardModifier> ShakeRecognizer::requiredModifier(QStringView setting)
{
    if (setting == u"shift") {
        return Qt::ShiftModifier;
    }
    if (setting == u"command") {
        return Qt::MetaModifier; // ⌘ is Super on X11
    }
    if (setting == u"option") {
        return Qt::AltModifier;
    }
    return std::nullopt;
}

void ShakeRecognizer::reset()
{
    m_lastPosition.reset();
    m_movementHistory.clear();
}

bool ShakeRecognizer::handleMouseMoved(double now, const QPointF& position, Qt::KeyboardModifiers held,
                                       bool enabled, QStringView modifierSetting)
{
    if (!enabled) {
        reset();
        return false;
    }
    const auto modifier = requiredModifier(modifierSetting);
    if (!modifier || !held.testFlag(*modifier)) {
        reset();
        return false;
    }
    if (!(now - m_lastShakeTime > cooldownDuration)) {
        return false;
    }

    if (m_lastPosition) {
        const double dx = position.x() - m_lastPosition->x();
        const double dy = std::abs(position.y() - m_lastPosition->y());
        const double movement = std::max(std::abs(dx), dy);
        if (movement > shakeThreshold) {
            m_movementHistory.push_back({now, dx});
            std::erase_if(m_movementHistory,
                          [now](const Sample& sample) { return now - sample.time > shakeTimeWindow; });

            int reversals = 0;
            for (std::size_t index = 1; index < m_movementHistory.size(); ++index) {
                const double a = m_movementHistory[index - 1].deltaX;
                const double b = m_movementHistory[index].deltaX;
                if ((a > 0 && b < 0) || (a < 0 && b > 0)) {
                    ++reversals;
                }
            }
            if (reversals >= requiredShakeCount) {
                m_lastShakeTime = now;
                reset();
                return true;
            }
        }
    }
    m_lastPosition = position;
    return false;
}
