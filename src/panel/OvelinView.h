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
#include "panel/ListSelection.h"
#include "panel/PanelResizeDrag.h"

class ClipboardHistory;
class HistoryListView;
class PanelKeyFilter;
class QKeyEvent;
class ResizeHandlesOverlay;
class SearchBar;

/// The content of the floating panel: the search bar, the list of history rows below it and,
/// in the modern style, the resize strip along the bottom. It keeps a keyboard selection over
/// the shown items and pastes it with Return; Escape puts the panel away. The selection, the
/// panel's key filter and the resize drag are parts of their own.
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
    std::optional<QUuid> selectedItemID() const { return m_selection.selectedID(); }

    /// +1 for Down, -1 for Up; the selection does not wrap.
    void moveSelection(int step) { m_selection.move(step); }
    void pasteSelectedItem(PasteFormat format = PasteFormat::AsCopied);
    /// Pastes the shown row `row` (0 for the first), as Alt+1 … Alt+9 do; nothing out of range.
    void pasteRow(int row);
    /// Return (Shift+Return: as plain text), keypad Enter, Escape, Up, Down and Alt+1 … Alt+9;
    /// other keys are not handled.
    void handleKeyDown(const QKeyEvent& event);
    /// Whether the key monitor takes this key press (panel is the active window, a handled
    /// key, neither Control, Alt nor Super held; or Alt alone with a digit 1 to 9).
    bool monitorTakes(const QKeyEvent& event) const;

    void setItemActions(ItemActions actions) { m_actions = std::move(actions); }
    /// The end of a resize drag: the height asked for, and whether it is to be remembered.
    /// The default is the window manager's resize of the panel, which stores the modern style's height.
    void setResizeWindowHandler(PanelResizeDrag::ResizeHandler handler)
    {
        m_resizeDrag.setResizeHandler(std::move(handler));
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
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool takeKey(const QKeyEvent& event);
    void rebuildList();
    void rebuildFromTop();
    void onHistoryChanged();
    void onSearchTextChanged();
    void onPinnedScrollTargetChanged();
    void applyAppearanceStyle();
    void setAnimateItemsOnAppear(bool animate);
    void hidePanel();
    bool isModern() const;
    void updateEmptyText();
    void setQuickKeysShown(bool shown);

    ClipboardHistory& m_history;
    SearchBar* m_searchBar;
    HistoryListView* m_list;
    ResizeHandlesOverlay* m_resizeStrip;
    PanelKeyFilter* m_keyFilter;
    ItemActions m_actions;
    ListSelection m_selection;
    PanelResizeDrag m_resizeDrag;
    bool m_animateItemsOnAppear = false;
    mutable HistorySearch m_search;
};
