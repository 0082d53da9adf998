#pragma once

#include <mutex>

#include <QStringList>

#include "common/Console.h"

namespace ovelin::test {

/// Records the program's printed lines while it lives.
class PrintedLines
{
public:
    PrintedLines()
    {
        setLineObserverForTesting([this](const QString& line) {
            std::lock_guard lock(m_mutex);
            m_lines.append(line);
        });
    }
    ~PrintedLines() { setLineObserverForTesting({}); }

    QStringList lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    qsizetype count(const QString& prefix) const
    {
        std::lock_guard lock(m_mutex);
        qsizetype n = 0;
        for (const QString& line : m_lines)
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

} // namespace ovelin::test
