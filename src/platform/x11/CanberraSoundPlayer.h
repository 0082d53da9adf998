#pragma once

#include "platform/SoundPlayer.h"

/// Event sounds of the freedesktop sound theme through libcanberra, played on a worker thread.
class CanberraSoundPlayer : public SoundPlayer
{
public:
    void play(const QString& name) override;
};
