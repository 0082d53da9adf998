#pragma once

#include <functional>
#include <optional>

#include <QHash>
#include <QList>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include "history/ClipboardItem.h"
#include "panel/HistorySearch.h"
#include "panel/ItemActions.h"

class ClipboardHistory;
class HistoryListView;
class QKeyEvent;
class ResizeHandlesOverlay;
class SearchBar;

/// The content of the floating panel: the search bar, the list of history rows below it and,
/// in the modern style, the resize strip along the bottom. It keeps a keyboard selection over
/// the shown items and pastes it with Return; Escape puts the panel away.
class OvelinView : public QWidget
{
    Q_OBJECT
public:
    explicit OvelinView(ClipboardHistory& history, QWidget* parent = nullptr);
    ~OvelinView() override;

    /// The history items that match the search text, in history order (see HistorySearch).
    QList<ClipboardItem> filteredItems() const;

    QString searchText() const;
    void setSearchText(const QString& text);
    std::optional<QUuid> selectedItemID() const { return m_selectedItemID; }

    /// Selects list[index] and scrolls it to the centre; nothing for an index out of range.
    void selectItem(const QList<ClipboardItem>& list, int index, bool animated);
    /// Keeps a selection that is still shown, unless `resetToFirst`; otherwise selects the
    /// first shown item. An empty list clears the selection.
    void ensureSelection(bool resetToFirst, bool animated);
    /// +1 for Down, -1 for Up; the selection does not wrap.
    void moveSelection(int step);
    void pasteSelectedItem();
    /// Return, keypad Enter, Escape, Up and Down; other keys are not handled.
    void handleKeyDown(const QKeyEvent& event);
    /// Whether the key monitor takes this key press (panel is the active window, a handled
    /// key, neither Control, Alt nor Super held).
    bool monitorTakes(const QKeyEvent& event) const;

    void setItemActions(ItemActions actions) { m_actions = std::move(actions); }
    /// The end of a resize drag: the height asked for, and whether it is to be remembered.
    /// The default is the window manager's resize of the panel, which stores the modern style's height.
    void setResizeWindowHandler(std::function<void(double, bool)> handler)
    {
        m_resizeWindow = std::move(handler);
    }

    SearchBar* searchBar() const { return m_searchBar; }
    HistoryListView* listView() const { return m_list; }
    ResizeHandlesOverlay* resizeStrip() const { return m_resizeStrip; }
    bool animateItemsOnAppear() const { return m_animateItemsOnAppear; }

    /// Resize drag steps (dy: points since the press, positive downwards).
    void onDragChanged(qreal dy);
    void onDragEnded(qreal dy);

    static constexpr int pinnedScrollDelayMs = 200;
    static constexpr int appearDelayMs = 100;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void watchPanel();
    void rebuildList();
    void rebuildFromTop();
    void onHistoryChanged();
    void onSearchTextChanged();
    void onPinnedScrollTargetChanged();
    void applyAppearanceStyle();
    void setAnimateItemsOnAppear(bool animate);
    void hidePanel();
    bool isModern() const;

    ClipboardHistory& m_history;
    SearchBar* m_searchBar;
    HistoryListView* m_list;
    ResizeHandlesOverlay* m_resizeStrip;
    ItemActions m_actions;
    std::function<void(double, bool)> m_resizeWindow;

    std::optional<QUuid> m_selectedItemID;
    bool m_animateItemsOnAppear = false;
    std::optional<double> m_dragStartHeight;
    mutable HistorySearch m_search;
};
