#pragma once

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

#include <QList>
#include <QObject>
#include <QUuid>

#include "history/ClipboardItem.h"

class ClipboardStorage;
class QTimer;

/// The one ordered history: pinned items first, then newest first; at most `limit` unpinned
/// items after each insertion. Every change is saved through the storage. Sensitive items are
/// never saved, and are forgotten a while after their capture.
/// GUI thread only.
class ClipboardHistory : public QObject
{
    Q_OBJECT
public:
    /// Uses the history file "clipboard_history.json" in the application's data folder.
    explicit ClipboardHistory(QObject* parent = nullptr);
    explicit ClipboardHistory(std::unique_ptr<ClipboardStorage> storage, QObject* parent = nullptr);
    ~ClipboardHistory() override;

    const QList<ClipboardItem>& history() const { return m_history; }
    std::optional<QUuid> lastInsertedID() const { return m_lastInsertedID; }
    std::optional<QUuid> pinnedScrollTargetID() const { return m_pinnedScrollTargetID; }
    /// The list view clears the scroll target once it has scrolled to it.
    void setPinnedScrollTargetID(std::optional<QUuid> id);

    void addItem(const ClipboardItem& item);
    void togglePin(const QUuid& id);
    void deleteItem(const QUuid& id);
    void clearHistory();
    /// Saves the list unchanged (after the file's format changed).
    void rewriteFile() { save(); }

    ClipboardStorage& storage() const { return *m_storage; }
    /// How many unpinned items the next insertion keeps (negative counts as zero).
    void setLimit(int limit) { m_limit = std::max(0, limit); }
    int limit() const { return m_limit; }
    static constexpr int defaultLimit = 50;

    /// How long after its capture a sensitive item is forgotten (pinned or not).
    void setSensitiveLifetime(std::chrono::milliseconds lifetime);
    std::chrono::milliseconds sensitiveLifetime() const { return m_sensitiveLifetime; }
    static constexpr std::chrono::minutes defaultSensitiveLifetime{5};

Q_SIGNALS:
    void historyChanged();
    void lastInsertedIDChanged();
    void pinnedScrollTargetIDChanged();

private:
    void sortHistory();
    void save();
    void forgetExpiredSensitiveItems();
    void scheduleSensitiveExpiry();

    std::unique_ptr<ClipboardStorage> m_storage;
    int m_limit = defaultLimit;
    QList<ClipboardItem> m_history;
    std::optional<QUuid> m_lastInsertedID;
    std::optional<QUuid> m_pinnedScrollTargetID;
    std::chrono::milliseconds m_sensitiveLifetime = defaultSensitiveLifetime;
    // Single-shot, armed for the next sensitive item to go; idle while there is none.
    QTimer* m_sensitiveExpiry = nullptr;
};
