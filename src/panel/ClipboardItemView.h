#pragma once

#include <QStyledItemDelegate>

#include "panel/ClipboardItemLayout.h"

class HistoryListView;
class FileThumbnailer;
class ImagePreviewCache;

/// One row of the history list, drawn rather than built from widgets so that a long history
/// costs nothing per row that is not on screen. Where each part goes is the list's row layout;
/// this paints it.
class ClipboardItemView : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using Geometry = ClipboardItemLayout::Geometry;

    ClipboardItemView(HistoryListView* list, const ClipboardItemLayout& layout, FileThumbnailer* thumbnailer,
                      ImagePreviewCache* images);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintContent(QPainter* painter, const ClipboardItem& item, const Geometry& g,
                      const QStyleOptionViewItem& option) const;

    HistoryListView* m_list;
    const ClipboardItemLayout& m_layout;
    FileThumbnailer* m_thumbnailer;
    ImagePreviewCache* m_images;
};
