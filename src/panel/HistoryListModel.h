#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

#include "history/ClipboardItem.h"

/// The shown list: a snapshot of the filtered items, one row per item, keyed by item id.
class HistoryListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setItems(QList<ClipboardItem> items);
    const QList<ClipboardItem>& items() const { return m_items; }
    const ClipboardItem& itemAt(int row) const { return m_items.at(row); }
    /// -1 when the id is not shown.
    int rowOf(const QUuid& id) const { return m_rows.value(id, -1); }
    /// The first shown unpinned item, -1 when every shown item is pinned.
    int mostRecentRow() const { return m_mostRecentRow; }

    /// A sensitive item shows its kind and last four characters until it is revealed.
    bool isRevealed(const QUuid& id) const { return m_revealed.contains(id); }
    void setRevealed(const QUuid& id, bool revealed);
    /// Masks every revealed item again; true if there was one.
    bool hideRevealed();
    /// The text a row shows of a text item.
    QString shownText(const ClipboardItem& item) const;
    /// "GitHub token ••••0aG2": the kind's name and the last four characters of the secret.
    static QString maskedText(const ClipboardItem& item);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<ClipboardItem> m_items;
    QHash<QUuid, int> m_rows;
    QSet<QUuid> m_revealed;
    int m_mostRecentRow = -1;
};
