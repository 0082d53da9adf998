#include "panel/ClipboardItemView.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "panel/FaviconLoader.h"
#include "panel/FileIconView.h"
#include "panel/HistoryListView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/RelativeDateFormatter.h"
#include "panel/SymbolPainter.h"

namespace {

qreal easeInOut(qreal t)
{
    return t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2;
}

} // namespace

ClipboardItemView::ClipboardItemView(HistoryListView* list, const ClipboardItemLayout& layout,
                                     FileThumbnailer* thumbnailer, ImagePreviewCache* images)
    : QStyledItemDelegate(list), m_list(list), m_layout(layout), m_thumbnailer(thumbnailer), m_images(images)
{
}

QSize ClipboardItemView::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const HistoryListModel* model = m_list->historyModel();
    const int row = index.row();
    const qreal width = m_list->viewport()->width();
    const qreal height = m_layout.rowHeight(model->itemAt(row), row, model->rowCount(), width);
    return QSize(qRound(width), qRound(height));
}

void ClipboardItemView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const HistoryListModel* model = m_list->historyModel();
    const int row = index.row();
    const ClipboardItem& item = model->itemAt(row);
    const Geometry g = m_layout.geometry(item, option.rect, row, model->rowCount());
    const QPalette& palette = option.palette;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    const qreal appear = m_list->appearProgress(row);
    if (appear <= 0) {
        painter->restore();
        return;
    }
    painter->setOpacity(appear);
    painter->translate(0, 20 * (1 - appear));

    const qreal radius = m_list->isModernStyle() ? 20 : 8;
    QColor fill = Qt::gray;
    fill.setAlphaF(0.2f);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(g.frame, radius, radius);

    const qreal selected = easeInOut(m_list->selectionProgress(item.id()));
    const qreal hovered = easeInOut(m_list->hoverProgress(item.id()));
    const qreal outline = std::max(selected, hovered);
    if (outline > 0) {
        QColor accent = palette.color(QPalette::Highlight);
        accent.setAlphaF(float(outline));
        const qreal width = selected * 0.8 + (1 - selected) * hovered * 0.5;
        painter->setPen(QPen(accent, std::max<qreal>(width, 0.5)));
        painter->setBrush(Qt::NoBrush);
        const qreal inset = width / 2;
        painter->drawRoundedRect(g.frame.adjusted(inset, inset, -inset, -inset), radius, radius);
    }

    paintContent(painter, item, g, option);

    const QFont caption = ClipboardItemLayout::captionFont(option.font);
    const QColor secondary = palette.color(QPalette::PlaceholderText);
    painter->setFont(caption);
    painter->setPen(secondary);
    painter->drawText(g.date, Qt::AlignRight | Qt::AlignTop,
                      RelativeDateFormatter::forCurrentLanguage().localizedString(
                          item.dateTime(), QDateTime::currentDateTimeUtc()));
    // The Alt quick key's digit, on a badge over the row's top-left corner.
    const bool badgeShown = m_list->quickKeysShown() && row < 9;
    const QRectF badge(g.frame.left() + 4, g.frame.top() + 4, 18, 18);
    if (item.type().kind() == ClipboardItemKind::FileGroup) {
        // The group's caption sits in that corner too: it moves aside while the badge shows.
        const QRectF countCaption =
            badgeShown
                ? g.countCaption.translated(std::max<qreal>(0, badge.right() + 4 - g.countCaption.left()), 0)
                : g.countCaption;
        painter->drawText(countCaption, Qt::AlignLeft | Qt::AlignTop,
                          ClipboardItemLayout::fileCountCaption(item.type().fileURLs().size()));
    }
    if (!g.pinMark.isEmpty())
        SymbolPainter::paint(painter, g.pinMark.adjusted(2, 2, -2, -2), QStringLiteral("pin"),
                             QColor(0, 122, 255));
    SymbolPainter::paint(painter, g.menuButton.adjusted(11, 4, -11, -4), QStringLiteral("ellipsis"),
                         secondary);
    if (badgeShown) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.color(QPalette::Highlight));
        painter->drawRoundedRect(badge, 5, 5);
        painter->setPen(palette.color(QPalette::HighlightedText));
        painter->drawText(badge, Qt::AlignCenter, QString::number(row + 1));
    }
    painter->restore();
}

void ClipboardItemView::paintContent(QPainter* painter, const ClipboardItem& item, const Geometry& g,
                                     const QStyleOptionViewItem& option) const
{
    const QPalette& palette = option.palette;
    switch (item.type().kind()) {
    case ClipboardItemKind::Text: {
        if (item.isSensitive())
            SymbolPainter::paint(painter, g.favicon.adjusted(2, 2, -2, -2), QStringLiteral("lock.shield"),
                                 palette.color(QPalette::Highlight));
        if (const auto favicon = ClipboardItemLayout::faviconURL(item)) {
            const QPixmap icon = FaviconLoader::shared().favicon(*favicon);
            if (!icon.isNull()) {
                const QRectF target(g.favicon.center().x() - 8, g.favicon.center().y() - 8, 16, 16);
                QPainterPath clip;
                clip.addRoundedRect(target, 3, 3);
                painter->save();
                painter->setClipPath(clip, Qt::IntersectClip);
                painter->drawPixmap(target, icon, QRectF(QPointF(0, 0), QSizeF(icon.size())));
                painter->restore();
            } else {
                SymbolPainter::paint(painter, g.favicon.adjusted(2, 2, -2, -2), QStringLiteral("link"),
                                     palette.color(QPalette::Highlight));
            }
        }
        painter->setFont(option.font);
        painter->setPen(palette.color(QPalette::Text));
        const QFontMetricsF metrics(option.font);
        qreal y = g.text.top();
        for (const QString& line : m_layout.textLines(item, g.text.width())) {
            painter->drawText(QRectF(g.text.left(), y, g.text.width(), metrics.lineSpacing()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, line);
            y += metrics.lineSpacing();
        }
        break;
    }
    case ClipboardItemKind::File: {
        const QUrl& url = item.type().fileURL();
        FileIconView::paint(painter, g.fileIcon, url, m_thumbnailer->state(url), m_list->spinnerPhase(),
                            palette);
        const QFont caption = ClipboardItemLayout::captionFont(option.font);
        painter->setFont(caption);
        painter->setPen(palette.color(QPalette::Text));
        const QString name = QFontMetricsF(caption).elidedText(ClipboardItemLayout::fileNameOf(url),
                                                               Qt::ElideMiddle, g.fileName.width());
        painter->drawText(g.fileName, Qt::AlignHCenter | Qt::AlignVCenter, name);
        break;
    }
    case ClipboardItemKind::FileGroup: {
        const QList<QUrl>& urls = item.type().fileURLs();
        for (qsizetype i = 0; i < g.tiles.size(); ++i) {
            painter->save();
            QPainterPath clip;
            clip.addRoundedRect(g.tiles.at(i), 2, 2);
            painter->setClipPath(clip, Qt::IntersectClip);
            FileIconView::paint(painter, g.tiles.at(i), urls.at(i), m_thumbnailer->state(urls.at(i)),
                                m_list->spinnerPhase(), palette);
            painter->restore();
        }
        if (!g.moreCaption.isEmpty()) {
            painter->setFont(ClipboardItemLayout::captionFont(option.font));
            painter->setPen(palette.color(QPalette::PlaceholderText));
            painter->drawText(
                g.moreCaption, Qt::AlignLeft | Qt::AlignVCenter,
                ClipboardItemLayout::moreFilesCaption(urls.size() - ClipboardItemLayout::maximumTiles));
        }
        break;
    }
    case ClipboardItemKind::Image: {
        QImage preview;
        if (m_images->preview(item.id(), item.type().imageData(), &preview) ==
            ImagePreviewCache::Status::Ready) {
            const QSizeF size = (QSizeF(preview.size()) / preview.devicePixelRatio())
                                    .scaled(g.image.size(), Qt::KeepAspectRatio);
            painter->drawImage(QRectF(g.image.topLeft(), size), preview);
        }
        break;
    }
    }
}
