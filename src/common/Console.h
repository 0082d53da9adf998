#pragma once

#include <functional>

class QString;

namespace ovelin {

/// Writes one of Ovelin's own console lines to standard output (UTF-8, newline, flushed).
/// Safe to call from any thread; lines from different threads never interleave.
void printLine(const QString& line);

/// Tests: every printed line is also handed to `observer` (called on the printing thread,
/// under the console's lock). Pass an empty function to stop observing.
void setLineObserverForTesting(std::function<void(const QString&)> observer);

} // namespace ovelin
