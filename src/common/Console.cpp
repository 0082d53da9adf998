#include "Console.h"

#include <cstdio>
#include <mutex>

#include <QString>

namespace ovelin {

namespace {
std::mutex consoleMutex;
std::function<void(const QString&)> lineObserver;
} // namespace

void printLine(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::lock_guard lock(consoleMutex);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (lineObserver)
        lineObserver(line);
}

void setLineObserverForTesting(std::function<void(const QString&)> observer)
{
    std::lock_guard lock(consoleMutex);
    lineObserver = std::move(observer);
}

} // namespace ovelin
