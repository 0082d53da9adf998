#pragma once

#include <QHash>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include "history/ClipboardItem.h"

/// The panel's search: which history items match the text typed in the search bar. Keeps each
/// item's lowercased search key, computed once per item.
class HistorySearch
{
public:
    /// The items that match, in history order. The text is trimmed and lowercased; texts and
    /// file names match by substring, a group through any one of its files; images never match
    /// a non-empty search.
    QList<ClipboardItem> filter(const QList<ClipboardItem>& history, const QString& searchText);
    /// Forgets the keys of items no longer in a history of this size, once enough piled up.
    void prune(qsizetype historySize);

    /// The name a file or folder is shown and found by: its last path component, also for a
    /// folder copied with a trailing slash.
    static QString fileName(const QUrl& url);

private:
    struct Key
    {
        QString text;
        QStringList fileNames;
    };
    const Key& keyFor(const ClipboardItem& item);

    QHash<QUuid, Key> m_keys;
};
