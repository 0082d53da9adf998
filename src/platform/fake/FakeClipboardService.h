#pragma once

#include "platform/ClipboardService.h"

/// An in-memory clipboard. Tests set what "another application" copied with setSnapshot; what
/// Ovelin writes is kept as written and also readable back as a snapshot. A watcher gets every
/// change at once, on the calling thread.
class FakeClipboardService : public ClipboardService
{
public:
    quint64 changeCount() const override { return m_changeCount; }
    ClipboardSnapshot read() override;
    void write(const ClipboardContent& content) override;
    void watch(SnapshotHandler handler) override;
    void writePrimarySelection(const ClipboardContent& content) override { m_primarySelection = content; }

    /// Another application copied: replaces the contents and moves the change count.
    void setSnapshot(const ClipboardSnapshot& snapshot);
    /// The last content written through write().
    const ClipboardContent& lastWritten() const { return m_lastWritten; }
    /// What the primary selection holds (never read back as the clipboard).
    const ClipboardContent& primarySelection() const { return m_primarySelection; }
    /// Transfers: direct reads and snapshots delivered to a watcher.
    int readCount() const { return m_readCount; }
    bool isWatched() const { return bool(m_handler); }
    int writeCount() const { return m_writeCount; }

private:
    ClipboardSnapshot m_snapshot;
    ClipboardContent m_lastWritten;
    SnapshotHandler m_handler;
    ClipboardContent m_primarySelection;
    quint64 m_changeCount = 1;
    int m_readCount = 0;
    int m_writeCount = 0;
};
