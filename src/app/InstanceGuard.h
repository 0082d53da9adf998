#pragma once

#include <chrono>
#include <memory>

#include <QLockFile>
#include <QString>

#include "app/CommandLine.h"

class InstanceBus;

/// Makes sure one Ovelin runs per user and data folder. The one that runs holds a lock file in
/// the data folder; the kernel lets go of it when the process ends, however it ends, and the next
/// start removes what is left. Every later start hands its command to the holder over the bus.
class InstanceGuard
{
public:
    enum class Outcome
    {
        /// This process holds the lock and goes on to run Ovelin.
        Run,
        /// Nothing else to do: exit with `exitCode` after printing `message` (if any).
        Exit,
        /// The Ovelin that held the lock ended while this start waited for it. The lock is free
        /// again; this process, which has talked to the bus as a second start, starts over.
        StartOver
    };
    struct Result
    {
        Outcome outcome = Outcome::Exit;
        int exitCode = 0;
        QString message;
    };

    /// `lockPath` is the lock file; its folder is created when missing. `bus` must outlive the guard.
    InstanceGuard(QString lockPath, InstanceBus& bus);
    ~InstanceGuard();

    /// Takes the lock, or hands `command` to the Ovelin that holds it. While the holder is still
    /// starting (its name not yet on the bus) this waits for it, up to `answerTimeout`.
    Result claim(InstanceCommand command);

    /// How long a second start waits for a starting Ovelin to answer, and `--quit` for it to end.
    void setTimeouts(std::chrono::milliseconds answerTimeout, std::chrono::milliseconds quitTimeout);

    /// The default lock file: "ovelin.lock" in the folder that holds the history file.
    static QString defaultLockPath();

private:
    bool tryLock();
    qint64 holderPid() const;
    /// The host named in a lock file written on another machine; empty for this one's.
    QString otherHolderHost() const;
    Result forward(InstanceCommand command);
    bool waitUntilReleased();

    QLockFile m_lock;
    InstanceBus& m_bus;
    std::chrono::milliseconds m_answerTimeout{10000};
    std::chrono::milliseconds m_quitTimeout{30000};
};
