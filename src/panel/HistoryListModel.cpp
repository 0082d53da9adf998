#include "panel/HistoryListModel.h"

#include "panel/ClipboardItemLayout.h"
#include "panel/HistorySearch.h"

void HistoryListModel::setItems(QList<ClipboardItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    m_rows.clear();
    m_rows.reserve(m_items.size());
    m_mostRecentRow = -1;
    for (int row = 0; row < m_items.size(); ++row) {
        m_rows.insert(m_items.at(row).id(), row);
        if (m_mostRecentRow < 0 && !m_items.at(row).isPinned())
            m_mostRecentRow = row;
    }
    endResetModel();
}

void HistoryListModel::setRevealed(const QUuid& id, bool revealed)
{
    if (m_revealed.contains(id) == revealed)
        return;
    if (revealed)
        m_revealed.insert(id);
    else
        m_revealed.remove(id);
    if (const int row = rowOf(id); row >= 0)
        Q_EMIT dataChanged(index(row), index(row));
}

bool HistoryListModel::hideRevealed()
{
    const bool any = !m_revealed.isEmpty();
    m_revealed.clear();
    return any;
}

QString HistoryListModel::maskedText(const ClipboardItem& item)
{
    const auto& secret = item.sensitive();
    if (!secret)
        return {};
    const QString name = qtTrId(secret->kind->nameId);
    return secret->lastFour.isEmpty() ? name
                                      : name + QStringLiteral(" \u2022\u2022\u2022\u2022") + secret->lastFour;
}

QString HistoryListModel::shownText(const ClipboardItem& item) const
{
    if (item.isSensitive() && !isRevealed(item.id()))
        return maskedText(item);
    return item.type().text();
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const ClipboardItem& item = m_items.at(index.row());
    if (role == Qt::AccessibleTextRole || role == Qt::DisplayRole) {
        switch (item.type().kind()) {
        case ClipboardItemKind::Text:
            return ClipboardItemLayout::displayText(shownText(item).left(200));
        case ClipboardItemKind::File:
            return HistorySearch::fileName(item.type().fileURL());
        case ClipboardItemKind::FileGroup:
            return ClipboardItemLayout::fileCountCaption(item.type().fileURLs().size());
        case ClipboardItemKind::Image:
            return QString();
        }
    }
    return {};
}
