#pragma once

#include <functional>

class QString;

namespace ovelin {

/// Writes one of Ovelin's own console lines to standard output (UTF-8, newline).
/// Safe to call from any thread; lines from different threads never interleave. The line is
/// handed to a writer thread and this returns at once: a reader that stops reading never holds
/// up the caller (lines beyond a bounded backlog are dropped), and one that has gone away costs
/// the lines, not the process.
void printLine(const QString& line);

/// Routes Qt's own messages (qWarning and the like, formatted as Qt does) to standard error
/// through the same writer, and keeps a reader that went away on either stream from ending the
/// process with SIGPIPE. Called once, first thing in main().
void installConsole();

/// Waits, for a bounded time, until the lines handed over so far are written; for code that is
/// about to end the process with _exit(). Runs by itself at exit().
void flushConsole();

/// Tests: every printed line is also handed to `observer` (called on the printing thread,
/// under the console's lock). Pass an empty function to stop observing.
void setLineObserverForTesting(std::function<void(const QString&)> observer);

} // namespace ovelin
