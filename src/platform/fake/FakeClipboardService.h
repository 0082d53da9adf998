#pragma once

#include "platform/ClipboardService.h"

/// An in-memory clipboard. Tests set what "another application" copied with setSnapshot; what
/// Ovelin writes is kept as written and also readable back as a snapshot.
class FakeClipboardService : public ClipboardService
{
public:
    quint64 changeCount() const override
    {
        ++m_pollCount;
        return m_changeCount;
    }
    ClipboardSnapshot read() override;
    void write(const ClipboardContent& content) override;
    void writePrimarySelection(const ClipboardContent& content) override { m_primarySelection = content; }

    /// Another application copied: replaces the contents and moves the change count.
    void setSnapshot(const ClipboardSnapshot& snapshot);
    /// The last content written through write().
    const ClipboardContent& lastWritten() const { return m_lastWritten; }
    /// What the primary selection holds (never read back as the clipboard).
    const ClipboardContent& primarySelection() const { return m_primarySelection; }
    int readCount() const { return m_readCount; }
    /// How often the change count was asked for: a clipboard monitor asks on every tick.
    int pollCount() const { return m_pollCount; }
    int writeCount() const { return m_writeCount; }

private:
    ClipboardSnapshot m_snapshot;
    ClipboardContent m_lastWritten;
    ClipboardContent m_primarySelection;
    quint64 m_changeCount = 1;
    int m_readCount = 0;
    mutable int m_pollCount = 0;
    int m_writeCount = 0;
};
