#pragma once

#include <functional>
#include <optional>

#include <QFont>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include "history/ClipboardItem.h"

/// Where each part of a history row sits and how tall a row is, for a given font: the plain
/// geometry that the row's painting, the list's clicks and tooltips all read. No widget needed.
class ClipboardItemLayout
{
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

    /// The text a text row shows of its item (a secret's mask until it is revealed).
    using ShownText = std::function<QString(const ClipboardItem&)>;

    /// Without `shownText` a row shows its item's text.
    explicit ClipboardItemLayout(ShownText shownText = {});

    void setFont(const QFont& font);
    const QFont& font() const { return m_font; }

    Geometry geometry(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount) const;
    Hit hitTest(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount,
                const QPointF& pos) const;
    QString toolTipAt(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount,
                      const QPointF& pos) const;
    /// The height of a row `width` wide, its gap and the list's margins included.
    qreal rowHeight(const ClipboardItem& item, int row, int rowCount, qreal width) const;
    /// The text lines a text row shows: at most three, the last one cut with an ellipsis.
    QStringList textLines(const ClipboardItem& item, qreal width) const;
    /// Forgets the laid-out texts: their shown text changed.
    void forgetLayouts() { m_textCache.clear(); }

    /// The preview text: every run of two or more whitespace characters becomes one space.
    static QString displayText(const QString& text);
    /// The site icon shown beside a link; none for a secret, whose host stays unasked.
    static std::optional<QUrl> faviconURL(const ClipboardItem& item);
    /// The group's captions: the number of files, and "+N" for the files without a tile.
    static QString fileCountCaption(qsizetype count);
    static QString moreFilesCaption(qsizetype hidden);
    /// The lines of the "+N" caption's tooltip: the files from the seventh on.
    static QStringList remainingFileNames(const ClipboardItem& item);
    /// The name a file's caption and tooltip show.
    static QString fileNameOf(const QUrl& url);
    /// The smaller font of the date and the captions.
    static QFont captionFont(const QFont& base);

private:
    qreal frameHeight(const ClipboardItem& item, qreal frameWidth) const;
    qreal textWidth(const ClipboardItem& item, qreal frameWidth) const;

    struct TextLayout
    {
        qreal width = -1;
        QStringList lines;
    };

    ShownText m_shownText;
    QFont m_font;
    mutable QHash<QUuid, TextLayout> m_textCache;
};
