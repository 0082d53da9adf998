#include "history/ClipboardHistory.h"

#include <algorithm>
#include <cmath>

#include <QTimer>

#include "common/Console.h"
#include "history/ClipboardStorage.h"

ClipboardHistory::ClipboardHistory(QObject* parent)
    : ClipboardHistory(std::make_unique<ClipboardStorage>(QStringLiteral("clipboard_history.json")), parent)
{
}

ClipboardHistory::ClipboardHistory(std::unique_ptr<ClipboardStorage> storage, QObject* parent)
    : QObject(parent), m_storage(std::move(storage)), m_sensitiveExpiry(new QTimer(this))
{
    m_sensitiveExpiry->setSingleShot(true);
    connect(m_sensitiveExpiry, &QTimer::timeout, this, &ClipboardHistory::forgetExpiredSensitiveItems);
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
    scheduleSensitiveExpiry();
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
    scheduleSensitiveExpiry();
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
    scheduleSensitiveExpiry();
}

void ClipboardHistory::setSensitiveLifetime(std::chrono::milliseconds lifetime)
{
    m_sensitiveLifetime = std::max(lifetime, std::chrono::milliseconds(0));
    forgetExpiredSensitiveItems();
}

void ClipboardHistory::forgetExpiredSensitiveItems()
{
    const double now = ClipboardItem::now();
    const double lifetime = double(m_sensitiveLifetime.count()) / 1000.0;
    const std::optional<QUuid> lastInserted = m_lastInsertedID;
    const qsizetype removed = m_history.removeIf([&](const ClipboardItem& item) {
        if (!item.isSensitive() || item.date() + lifetime > now)
            return false;
        if (m_lastInsertedID == item.id())
            m_lastInsertedID.reset();
        if (m_pinnedScrollTargetID == item.id())
            m_pinnedScrollTargetID.reset();
        return true;
    });
    // Nothing to save: the file never held them.
    if (m_lastInsertedID != lastInserted)
        Q_EMIT lastInsertedIDChanged();
    if (removed > 0)
        Q_EMIT historyChanged();
    scheduleSensitiveExpiry();
}

void ClipboardHistory::scheduleSensitiveExpiry()
{
    std::optional<double> earliest;
    for (const ClipboardItem& item : std::as_const(m_history)) {
        if (item.isSensitive() && (!earliest || item.date() < *earliest))
            earliest = item.date();
    }
    if (!earliest) {
        m_sensitiveExpiry->stop();
        return;
    }
    const double lifetime = double(m_sensitiveLifetime.count()) / 1000.0;
    const double wait = (*earliest + lifetime - ClipboardItem::now()) * 1000.0;
    // A timer that fires a little early finds nothing due and is armed again for the rest.
    m_sensitiveExpiry->start(int(std::clamp(std::ceil(wait), 0.0, double(std::numeric_limits<int>::max()))));
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
