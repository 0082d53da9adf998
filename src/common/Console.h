#pragma once

class QString;

namespace ovelin {

/// Writes one of Ovelin's own console lines to standard output (UTF-8, newline, flushed).
/// Safe to call from any thread; lines from different threads never interleave.
void printLine(const QString& line);

} // namespace ovelin
