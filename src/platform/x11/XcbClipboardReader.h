#pragma once

#include <memory>

#include <QObject>

#include "platform/ClipboardService.h"

/// Reads the CLIPBOARD selection on a thread of its own, over its own connection to the X server.
/// The server announces every new owner (XFIXES selection notify); each announcement starts a
/// read of the formats the history wants, and the complete snapshot is handed to the handler on
/// the thread that created the reader. Nothing the reader does waits on the GUI thread.
class XcbClipboardReader : public QObject
{
    Q_OBJECT
public:
    /// Starts the worker; the current contents are read and delivered first (changed = false).
    explicit XcbClipboardReader(ClipboardService::SnapshotHandler handler, QObject* parent = nullptr);
    /// Stops the worker and waits for it; snapshots not yet delivered are dropped.
    ~XcbClipboardReader() override;

    /// Per format: no answer, or no progress of an incremental transfer, for this long ends it.
    static constexpr int transferTimeoutMs = 2000;

private:
    class Worker;

    ClipboardService::SnapshotHandler m_handler;
    std::unique_ptr<Worker> m_worker;
};
