#include "history/ClipboardHistory.h"

#include <algorithm>

#include "common/Console.h"
#include "history/ClipboardStorage.h"

ClipboardHistory::ClipboardHistory(QObject* parent)
    : ClipboardHistory(std::make_unique<ClipboardStorage>(QStringLiteral("clipboard_history.json")), parent)
{
}

ClipboardHistory::ClipboardHistory(std::unique_ptr<ClipboardStorage> storage, QObject* parent)
    : QObject(parent), m_storage(std::move(storage))
{
    m_history = m_storage->load();
    sortHistory();
}

ClipboardHistory::~ClipboardHistory() = default;

void ClipboardHistory::setPinnedScrollTargetID(std::optional<QUuid> id)
{
    if (m_pinnedScrollTargetID == id)
        return;
    m_pinnedScrollTargetID = id;
    Q_EMIT pinnedScrollTargetIDChanged();
}

void ClipboardHistory::addItem(const ClipboardItem& item)
{
    // A repeat of the newest unpinned entry changes nothing. Comparing with the first unpinned
    // entry rather than the first entry keeps a pinned head from turning every offer of an
    // unchanged clipboard into a fresh copy and a rewrite of the file.
    const auto firstUnpinned = std::find_if(m_history.cbegin(), m_history.cend(),
                                            [](const ClipboardItem& i) { return !i.isPinned(); });
    if (firstUnpinned != m_history.cend() && firstUnpinned->hasSameContent(item))
        return;

    for (qsizetype index = 0; index < m_history.size(); ++index) {
        const ClipboardItem& existing = m_history.at(index);
        if (!existing.isPinned() && existing.hasSameContent(item)) {
            ovelin::printLine(QStringLiteral("♻️ Removendo duplicata anterior no índice %1").arg(index));
            m_history.removeAt(index);
            break;
        }
    }

    ovelin::printLine(QStringLiteral("⬆️ Inserindo item no topo do histórico"));
    m_history.prepend(item);
    m_lastInsertedID = item.id();
    sortHistory();

    const int limit = m_limit;
    QList<ClipboardItem> trimmed;
    trimmed.reserve(m_history.size());
    qsizetype unpinned = 0;
    for (const ClipboardItem& existing : std::as_const(m_history)) {
        if (existing.isPinned())
            trimmed.append(existing);
    }
    for (const ClipboardItem& existing : std::as_const(m_history)) {
        if (!existing.isPinned() && unpinned < limit) {
            trimmed.append(existing);
            ++unpinned;
        }
    }
    m_history = std::move(trimmed);

    Q_EMIT lastInsertedIDChanged();
    Q_EMIT historyChanged();
    save();
    ovelin::printLine(QStringLiteral("✅ Histórico atualizado (total: %1)").arg(m_history.size()));
}

void ClipboardHistory::togglePin(const QUuid& id)
{
    const auto found = std::find_if(m_history.begin(), m_history.end(),
                                    [&](const ClipboardItem& i) { return i.id() == id; });
    if (found == m_history.end())
        return;
    const qsizetype index = found - m_history.begin();
    found->setPinned(!found->isPinned());
    sortHistory();
    m_pinnedScrollTargetID = m_history.at(index).id();
    Q_EMIT historyChanged();
    Q_EMIT pinnedScrollTargetIDChanged();
    save();
}

void ClipboardHistory::deleteItem(const QUuid& id)
{
    if (m_lastInsertedID == id) {
        m_lastInsertedID.reset();
        Q_EMIT lastInsertedIDChanged();
    }
    m_history.removeIf([&](const ClipboardItem& i) { return i.id() == id; });
    Q_EMIT historyChanged();
    save();
}

void ClipboardHistory::clearHistory()
{
    m_pinnedScrollTargetID.reset();
    m_lastInsertedID.reset();
    m_history.clear();
    Q_EMIT pinnedScrollTargetIDChanged();
    Q_EMIT lastInsertedIDChanged();
    Q_EMIT historyChanged();
    save();
}

void ClipboardHistory::sortHistory()
{
    std::stable_sort(m_history.begin(), m_history.end(), [](const ClipboardItem& a, const ClipboardItem& b) {
        if (a.isPinned() != b.isPinned())
            return a.isPinned();
        return a.date() > b.date();
    });
}

void ClipboardHistory::save()
{
    m_storage->save(m_history);
}
