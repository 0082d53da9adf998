#include "panel/HistorySearch.h"

#include <algorithm>

QString HistorySearch::fileName(const QUrl& url)
{
    return url.adjusted(QUrl::StripTrailingSlash).fileName();
}

const HistorySearch::Key& HistorySearch::keyFor(const ClipboardItem& item)
{
    // An item's content never changes, so its key is computed once per id.
    auto it = m_keys.find(item.id());
    if (it != m_keys.end())
        return *it;
    Key key;
    switch (item.type().kind()) {
    case ClipboardItemKind::Text:
        // A secret is found by its kind's name, never by what it hides.
        key.text = item.isSensitive() ? qtTrId(item.sensitive()->kind->nameId).toLower()
                                      : item.type().text().toLower();
        break;
    case ClipboardItemKind::File:
        key.fileNames << fileName(item.type().fileURL()).toLower();
        break;
    case ClipboardItemKind::FileGroup:
        for (const QUrl& url : item.type().fileURLs())
            key.fileNames << fileName(url).toLower();
        break;
    case ClipboardItemKind::Image:
        break;
    }
    return *m_keys.insert(item.id(), key);
}

QList<ClipboardItem> HistorySearch::filter(const QList<ClipboardItem>& history, const QString& searchText)
{
    const QString query = searchText.trimmed().toLower();
    if (query.isEmpty())
        return history;
    QList<ClipboardItem> result;
    for (const ClipboardItem& item : history) {
        const Key& key = keyFor(item);
        const bool match = key.text.contains(query) ||
                           std::any_of(key.fileNames.cbegin(), key.fileNames.cend(),
                                       [&query](const QString& name) { return name.contains(query); });
        if (match)
            result << item;
    }
    return result;
}

void HistorySearch::prune(qsizetype historySize)
{
    if (m_keys.size() > 2 * historySize + 64)
        m_keys.clear();
}
