#pragma once

#include <optional>

#include <QElapsedTimer>
#include <QHash>
#include <QListView>
#include <QSet>
#include <QTimer>
#include <QUuid>

#include "history/ClipboardItem.h"
#include "panel/ClipboardItemLayout.h"
#include "panel/HistoryListModel.h"

class ClipboardItemView;
class FileThumbnailer;
class ImagePreviewCache;
class QPropertyAnimation;

/// The scrolling list of rows. It draws the selection it is given (it never changes it),
/// tracks the hovered row, runs the row animations, and turns clicks into the row actions.
class HistoryListView : public QListView
{
    Q_OBJECT
public:
    explicit HistoryListView(QWidget* parent = nullptr);
    ~HistoryListView() override;

    HistoryListModel* historyModel() const { return m_model; }
    /// Where the parts of each row sit, in the list's font.
    const ClipboardItemLayout& rowLayout() const { return m_layout; }
    FileThumbnailer* thumbnailer() const { return m_thumbnailer; }
    ImagePreviewCache* imagePreviews() const { return m_images; }
    /// Drops the previews and thumbnails of items that are no longer in `history`.
    void retainPreviewsOf(const QList<ClipboardItem>& history);

    void setSelectedID(std::optional<QUuid> id);
    std::optional<QUuid> selectedID() const { return m_selectedID; }
    std::optional<QUuid> hoveredID() const { return m_hoveredID; }

    enum class ScrollPosition
    {
        Center,
        Top
    };
    /// Scrolls so that `row` is centred or at the top edge; animated over 0.2 s (ease in-out).
    void scrollToRow(int row, ScrollPosition position, bool animated);

    /// Rows fade in and slide up, one after the other, when this turns true.
    void setAnimateItemsOnAppear(bool animate);
    bool animateItemsOnAppear() const { return m_animateItemsOnAppear; }

    // Paint-time state of a row, read by the delegate.
    qreal appearProgress(int row) const;
    qreal selectionProgress(const QUuid& id) const;
    qreal hoverProgress(const QUuid& id) const;
    qreal spinnerPhase() const;
    bool isModernStyle() const { return m_modernStyle; }
    void setModernStyle(bool modern);
    /// While on, the first nine rows show the digit of their Alt quick key.
    void setQuickKeysShown(bool shown);
    bool quickKeysShown() const { return m_quickKeysShown; }
    /// Drawn in the middle of the list while it has no row; empty draws nothing.
    void setEmptyText(const QString& text);
    QString emptyText() const { return m_emptyText; }

    /// The row at `pos` in viewport coordinates, -1 for none.
    int rowAt(const QPoint& pos) const;

    void animationFinishedForTests();

Q_SIGNALS:
    void itemClicked(const ClipboardItem& item, Qt::KeyboardModifiers modifiers);
    void copyAgainRequested(const ClipboardItem& item);
    void togglePinRequested(const QUuid& id);
    void deleteRequested(const QUuid& id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Transition
    {
        std::optional<QUuid> current;
        std::optional<QUuid> previous;
        QElapsedTimer clock;
    };
    static qreal progressOf(const Transition& t, const QUuid& id);
    void setHoveredID(std::optional<QUuid> id);
    void showActionMenu(int row);
    void setRevealed(const QUuid& id, bool revealed);
    void tick();
    bool animationsRunning() const;
    void startTicking();

    HistoryListModel* m_model;
    ClipboardItemView* m_delegate;
    FileThumbnailer* m_thumbnailer;
    ImagePreviewCache* m_images;
    std::optional<QUuid> m_selectedID;
    std::optional<QUuid> m_hoveredID;
    Transition m_selection;
    Transition m_hover;
    bool m_animateItemsOnAppear = true;
    QElapsedTimer m_appearClock;
    bool m_modernStyle = false;
    QTimer m_ticker;
    QElapsedTimer m_spinnerClock;
    QPropertyAnimation* m_scrollAnimation;
    ClipboardItemLayout m_layout;
    std::optional<QUuid> m_pressedID;
    bool m_quickKeysShown = false;
    QString m_emptyText;
};
