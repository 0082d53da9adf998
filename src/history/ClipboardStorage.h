#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "history/ClipboardItem.h"

/// The history file. `save` returns at once; one background worker writes the snapshots,
/// newest wins, each write replacing the file atomically.
class ClipboardStorage
{
public:
    /// The file `fileName` in the application's private data folder.
    explicit ClipboardStorage(const QString& fileName);
    /// The file at an explicit path (tests, benchmarks).
    static std::unique_ptr<ClipboardStorage> atPath(const QString& path);
    ~ClipboardStorage();

    ClipboardStorage(const ClipboardStorage&) = delete;
    ClipboardStorage& operator=(const ClipboardStorage&) = delete;

    QString filePath() const { return m_filePath; }
    QUrl fileURL() const { return QUrl::fromLocalFile(m_filePath); }

    /// Reads the whole file; an empty list (and one printed line) on any failure. A file that
    /// exists but cannot be read or decoded is first moved aside so that no later save overwrites
    /// it; when even that fails, saving stops for the life of this storage.
    QList<ClipboardItem> load();
    /// Queues a snapshot for writing and returns at once. A failed write keeps the previous file
    /// and prints one line for a run of failures; the next snapshot is written in full. Does
    /// nothing once saving stopped.
    void save(QList<ClipboardItem> items);
    /// An unreadable file could not be moved aside at load: nothing is saved over it.
    bool savingStopped() const { return m_savingStopped; }
    /// Blocks until every queued snapshot is on disk (tests and shutdown).
    void waitForPendingSaves();

private:
    struct PathTag
    {
    };
    ClipboardStorage(PathTag, QString path);
    void keepAside();
    void run();
    void write(const QList<ClipboardItem>& items);
    bool writeFile(const QList<ClipboardItem>& items, QString* error);

    QString m_filePath;
    bool m_savingStopped = false; // set by load, before any save
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QList<ClipboardItem>> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failing = false; // worker thread only
    std::thread m_worker;
};
