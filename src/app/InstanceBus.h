#pragma once

#include "app/CommandLine.h"

/// The channel between a second start and the Ovelin that runs (the session bus in the
/// application; an in-memory double in tests).
class InstanceBus
{
public:
    virtual ~InstanceBus() = default;

    /// False when there is no bus to talk over at all.
    virtual bool isConnected() = 0;
    /// True once the running Ovelin has taken its name on the bus.
    virtual bool isAnswering() = 0;
    /// Hands `command` to the running Ovelin and waits for its answer; false when none came.
    virtual bool send(InstanceCommand command) = 0;
};
