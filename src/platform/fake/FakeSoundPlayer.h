#pragma once

#include <QStringList>

#include "platform/SoundPlayer.h"

/// Records the names of the sounds asked for.
class FakeSoundPlayer : public SoundPlayer
{
public:
    void play(const QString& name) override { m_played.append(name); }
    const QStringList& played() const { return m_played; }

private:
    QStringList m_played;
};
