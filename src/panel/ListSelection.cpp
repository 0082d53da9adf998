#include "panel/ListSelection.h"

#include "panel/HistoryListView.h"

int ListSelection::selectedRow() const
{
    return m_selectedID ? m_list.historyModel()->rowOf(*m_selectedID) : -1;
}

void ListSelection::select(int row, bool animated)
{
    const QList<ClipboardItem>& items = m_list.historyModel()->items();
    if (row < 0 || row >= items.size())
        return;
    const QUuid id = items.at(row).id();
    const bool changed = m_selectedID != id;
    m_selectedID = id;
    m_list.setSelectedID(id);
    m_list.scrollToRow(row, HistoryListView::ScrollPosition::Center, animated && changed);
}

void ListSelection::ensure(bool resetToFirst, bool animated)
{
    if (m_list.historyModel()->items().isEmpty()) {
        m_selectedID.reset();
        m_list.setSelectedID(std::nullopt);
        return;
    }
    if (!resetToFirst && selectedRow() >= 0)
        return;
    select(0, animated);
}

void ListSelection::move(int step)
{
    ensure(!m_selectedID.has_value(), false);
    const int row = selectedRow();
    if (row < 0)
        return;
    // select() ignores a row past either end: the selection does not wrap.
    select(row + step, true);
}
