#pragma once

#include <memory>
#include <mutex>

#include <QStringList>

#include <Beacon/LogHandler.h>

/// Collects the client's log lines (from any thread) for a test to look at.
class LogCapture
{
public:
    LogHandler handler(LogLevel level = LogLevel::debug) const
    {
        auto state = m_state;
        return LogHandler{level, [state](LogLevel, const QString& message) {
                              std::lock_guard lock(state->mutex);
                              state->lines.append(message);
                          }};
    }

    QStringList lines() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->lines;
    }

    qsizetype count(const QString& line) const { return lines().count(line); }

    bool contains(const QString& fragment) const
    {
        const QStringList all = lines();
        return std::any_of(all.cbegin(), all.cend(), [&](const QString& l) { return l.contains(fragment); });
    }

    void clear()
    {
        std::lock_guard lock(m_state->mutex);
        m_state->lines.clear();
    }

private:
    struct State
    {
        std::mutex mutex;
        QStringList lines;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
