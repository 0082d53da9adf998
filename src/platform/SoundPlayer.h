#pragma once

#include <QString>

/// Plays short user-interface sounds. Never blocks the caller; silent when no sound service is there.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    /// Plays the named sound ("Blow" is the click of a pasted row).
    virtual void play(const QString& name) = 0;
};
