#pragma once

#include <QHash>
#include <QList>
#include <QRectF>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QUuid>

#include "history/ClipboardItem.h"

class HistoryListView;
class FileThumbnailer;
class ImagePreviewCache;
class QMenu;

/// One row of the history list, drawn rather than built from widgets so that a long history
/// costs nothing per row that is not on screen. The list asks it for sizes and painting, and
/// for the parts of a row under the pointer (content, action menu, pin mark, tooltips).
class ClipboardItemView : public QStyledItemDelegate
{
    Q_OBJECT
public:
    /// Where each part of a row sits, in the list's viewport coordinates.
    struct Geometry
    {
        QRectF frame;   ///< the rounded rectangle
        QRectF content; ///< a click here pastes
        QRectF menuButton;
        QRectF pinMark; ///< empty unless pinned
        QRectF date;
        QRectF countCaption; ///< file groups
        QRectF favicon;      ///< texts that are links; the lock of a secret
        QRectF text;
        QRectF fileIcon;
        QRectF fileName;
        QList<QRectF> tiles; ///< the first six files of a group
        QRectF moreCaption;  ///< "+N" for groups of seven or more
        QRectF image;
    };

    enum class Hit
    {
        None,
        Content,
        MenuButton,
        PinMark
    };

    static constexpr int maximumTiles = 6;
    static constexpr qreal horizontalPadding = 7;
    static constexpr qreal menuButtonWidth = 38;
    static constexpr qreal maximumTextWidth = 335;
    static constexpr int maximumTextLines = 3;
    static constexpr qreal imageFrameHeight = 60;

    ClipboardItemView(HistoryListView* list, FileThumbnailer* thumbnailer, ImagePreviewCache* images);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    Geometry geometry(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount) const;
    Hit hitTest(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount,
                const QPointF& pos) const;
    QString toolTipAt(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount,
                      const QPointF& pos) const;
    /// The text lines a text row shows: at most three, the last one cut with an ellipsis.
    QStringList textLines(const ClipboardItem& item, qreal width) const;
    void forgetLayouts() { m_textCache.clear(); }

    /// The preview text: every run of two or more whitespace characters becomes one space.
    static QString displayText(const QString& text);
    /// The row's menu: "copy_again", "pin_to_top" or "unpin", a divider, and "delete" unless
    /// the row is the most recent unpinned one. A sensitive item offers "reveal_secret" or
    /// "hide_secret" instead of "pin_to_top". Each action's objectName is its key.
    static QMenu* makeActionMenu(const ClipboardItem& item, bool isMostRecent, QWidget* parent,
                                 bool revealed = false);
    /// The site icon shown beside a link; none for a secret, whose host stays unasked.
    static std::optional<QUrl> faviconURL(const ClipboardItem& item);
    /// The group's captions: the number of files, and "+N" for the files without a tile.
    static QString fileCountCaption(qsizetype count);
    static QString moreFilesCaption(qsizetype hidden);
    /// The lines of the "+N" caption's tooltip: the files from the seventh on.
    static QStringList remainingFileNames(const ClipboardItem& item);

private:
    qreal frameHeight(const ClipboardItem& item, qreal frameWidth) const;
    qreal textWidth(const ClipboardItem& item, qreal frameWidth) const;
    void paintContent(QPainter* painter, const ClipboardItem& item, const Geometry& g,
                      const QStyleOptionViewItem& option) const;

    struct TextLayout
    {
        qreal width = -1;
        QStringList lines;
    };

    HistoryListView* m_list;
    FileThumbnailer* m_thumbnailer;
    ImagePreviewCache* m_images;
    mutable QHash<QUuid, TextLayout> m_textCache;
};
