#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "history/ClipboardItem.h"

class HistoryKeyStore;

/// The history file. `save` returns at once; one background worker writes the snapshots,
/// newest wins, each write replacing the file atomically. With a key store the file may be
/// encrypted (HistoryCipher): an encrypted file is opened with the stored key, and with
/// encryption set every write seals the file, the key created in the store on first need.
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

    /// Where the key of an encrypted file is kept; set before `load`.
    void setKeyStore(std::unique_ptr<HistoryKeyStore> keyStore);
    /// Whether the following writes encrypt the file (the current file is rewritten by the next save).
    void setEncrypted(bool encrypted);
    bool isEncrypted() const;

    /// Reads the whole file; an empty list (and one printed line) on any failure. A file that
    /// exists but cannot be read or decoded, or whose key no longer opens it, is first moved aside
    /// so that no later save overwrites it; when even that fails, saving stops for the life of this
    /// storage. An encrypted file whose key cannot be had now (no keyring, locked and declined)
    /// stays where it is, untouched: the session's history then lives in memory only.
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
    struct Key
    {
        QByteArray bytes;
        bool found = false;
        /// No answer from the keyring now (none, locked, declined): not a fault of the file.
        bool outOfReach = false;
        QString error;
    };
    Key key(bool create);

    QString m_filePath;
    bool m_savingStopped = false; // set by load, before any save
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QList<ClipboardItem>> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failing = false;   // worker thread only
    bool m_encrypted = false; // under m_mutex

    // The key is asked for once per session: a declined keyring prompt is not shown again at
    // every save.
    std::mutex m_keyMutex;
    std::unique_ptr<HistoryKeyStore> m_keyStore;
    QByteArray m_key;
    QString m_keyFailure;
    std::atomic<bool> m_retryKey = false;
    // Why the encrypted file on disk was not opened; while set, nothing replaces it.
    QString m_keepFileReason;
    std::thread m_worker;
};
