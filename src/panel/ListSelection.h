#pragma once

#include <optional>

#include <QUuid>

class HistoryListView;

/// The keyboard selection over the rows a list shows. It follows an item by its id, so it
/// survives a rebuild of the list as long as the item is still shown.
class ListSelection
{
public:
    explicit ListSelection(HistoryListView& list) : m_list(list) {}

    std::optional<QUuid> selectedID() const { return m_selectedID; }
    /// The shown row of the selection, or -1.
    int selectedRow() const;

    /// Selects row `row` and scrolls it to the centre; nothing for a row out of range.
    void select(int row, bool animated);
    /// Keeps a selection that is still shown, unless `resetToFirst`; otherwise selects the
    /// first row. An empty list clears the selection.
    void ensure(bool resetToFirst, bool animated);
    /// +1 for Down, -1 for Up; the selection does not wrap.
    void move(int step);

private:
    HistoryListView& m_list;
    std::optional<QUuid> m_selectedID;
};
