#include "panel/ClipboardItemView.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QTextLayout>

#include "panel/FaviconLoader.h"
#include "panel/FileIconView.h"
#include "panel/HistoryListView.h"
#include "panel/HistorySearch.h"
#include "panel/ImagePreviewCache.h"
#include "panel/RelativeDateFormatter.h"
#include "panel/SymbolPainter.h"

namespace {

// Vertical room of a row: a band on top for the date and the group count, the content, and
// a bottom margin. Rows are separated by `rowGap`; the list has extra room above the first
// row and below the last.
constexpr qreal topBand = 20;
constexpr qreal bottomMargin = 12;
constexpr qreal leftInset = 12;
constexpr qreal rowGap = 6;
constexpr qreal firstRowExtra = 8 - rowGap / 2;
constexpr qreal lastRowExtra = 12 - rowGap / 2;
constexpr qreal minimumFrameHeight = 52;
constexpr qreal fileIconSide = 32;
constexpr qreal tileSide = 40;
constexpr qreal tileSpacing = 6;
constexpr qreal fileNameWidth = 70;
// Text beyond this is never visible in three lines; laying it out would only cost time.
constexpr qsizetype layoutCharacterLimit = 2000;

QFont captionFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(std::max(7.0, base.pointSizeF() * 0.8));
    return font;
}

QString fileNameOf(const QUrl& url)
{
    const QString name = HistorySearch::fileName(url);
    return name.isEmpty() ? url.toDisplayString(QUrl::PreferLocalFile) : name;
}

qreal easeInOut(qreal t)
{
    return t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2;
}

} // namespace

ClipboardItemView::ClipboardItemView(HistoryListView* list, FileThumbnailer* thumbnailer,
                                     ImagePreviewCache* images)
    : QStyledItemDelegate(list), m_list(list), m_thumbnailer(thumbnailer), m_images(images)
{
}

QString ClipboardItemView::displayText(const QString& text)
{
    static const QRegularExpression runs(QStringLiteral("\\s{2,}"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QString result = text;
    return result.replace(runs, QStringLiteral(" "));
}

// The translations hold one form with "%n" for the number.
QString ClipboardItemView::fileCountCaption(qsizetype count)
{
    return qtTrId("file_group_count").replace(QStringLiteral("%n"), QString::number(count));
}

QString ClipboardItemView::moreFilesCaption(qsizetype hidden)
{
    return qtTrId("file_group_more").replace(QStringLiteral("%n"), QString::number(hidden));
}

QStringList ClipboardItemView::remainingFileNames(const ClipboardItem& item)
{
    QStringList names;
    if (item.type().kind() != ClipboardItemKind::FileGroup)
        return names;
    const QList<QUrl>& urls = item.type().fileURLs();
    for (qsizetype i = maximumTiles; i < urls.size(); ++i)
        names << fileNameOf(urls.at(i));
    return names;
}

std::optional<QUrl> ClipboardItemView::faviconURL(const ClipboardItem& item)
{
    return item.isSensitive() ? std::nullopt : item.type().faviconURL();
}

QMenu* ClipboardItemView::makeActionMenu(const ClipboardItem& item, bool isMostRecent, QWidget* parent,
                                         bool revealed)
{
    auto* menu = new QMenu(parent);
    auto add = [menu](const char* key, const char* symbol) {
        QAction* action = menu->addAction(
            QIcon(SymbolPainter::pixmap(QString::fromLatin1(symbol), QSize(16, 16),
                                        menu->palette().color(QPalette::Text), menu->devicePixelRatioF())),
            qtTrId(key));
        action->setObjectName(QString::fromLatin1(key));
        return action;
    };
    add("copy_again", "doc.on.doc");
    if (item.isSensitive())
        add(revealed ? "hide_secret" : "reveal_secret", revealed ? "eye.slash" : "eye");
    // A secret is forgotten after a few minutes: pinning would promise to keep it.
    if (item.isPinned())
        add("unpin", "pin.slash.fill");
    else if (!item.isSensitive())
        add("pin_to_top", "pin.fill");
    menu->addSeparator();
    // The newest unpinned entry is what the clipboard holds now; deleting it from its row
    // would only bring it back at the next capture.
    if (!isMostRecent)
        add("delete", "trash.fill");
    return menu;
}

qreal ClipboardItemView::textWidth(const ClipboardItem& item, qreal frameWidth) const
{
    qreal width = frameWidth - leftInset - menuButtonWidth - 8;
    if (faviconURL(item) || item.isSensitive())
        width -= 26;
    return std::max<qreal>(40, std::min(maximumTextWidth, width));
}

QStringList ClipboardItemView::textLines(const ClipboardItem& item, qreal width) const
{
    auto cached = m_textCache.constFind(item.id());
    if (cached != m_textCache.constEnd() && qFuzzyCompare(cached->width, width))
        return cached->lines;

    QString text = displayText(m_list->historyModel()->shownText(item).left(layoutCharacterLimit));
    const QFont font = m_list->font();
    const QFontMetricsF metrics(font);
    // Most copies are one short line: no wrapping to work out.
    if (text.size() < 120 && !text.contains(u'\n') && !text.contains(u'\r') &&
        metrics.horizontalAdvance(text) <= width) {
        m_textCache.insert(item.id(), TextLayout{width, {text}});
        return {text};
    }
    text.replace(u'\n', QChar::LineSeparator);
    text.replace(u'\r', QChar::LineSeparator);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);

    QStringList lines;
    layout.beginLayout();
    int nextStart = 0;
    while (lines.size() < maximumTextLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        QString lineText = text.mid(line.textStart(), line.textLength());
        nextStart = line.textStart() + line.textLength();
        while (lineText.endsWith(QChar::LineSeparator))
            lineText.chop(1);
        lines << lineText;
    }
    layout.endLayout();

    const bool more = nextStart < text.size();
    if (more && !lines.isEmpty()) {
        // Cut the last line at its end with an ellipsis.
        const QString ellipsis(QChar(0x2026));
        QString last = lines.takeLast();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + ellipsis) > width)
            last.chop(1);
        lines << last + ellipsis;
    }
    if (lines.isEmpty())
        lines << QString();
    m_textCache.insert(item.id(), TextLayout{width, lines});
    return lines;
}

qreal ClipboardItemView::frameHeight(const ClipboardItem& item, qreal frameWidth) const
{
    const QFontMetricsF metrics(m_list->font());
    const QFontMetricsF caption(captionFont(m_list->font()));
    qreal content = 0;
    switch (item.type().kind()) {
    case ClipboardItemKind::Text:
        content = textLines(item, textWidth(item, frameWidth)).size() * metrics.lineSpacing();
        break;
    case ClipboardItemKind::File:
        content = fileIconSide + 4 + caption.lineSpacing();
        break;
    case ClipboardItemKind::FileGroup:
        content = tileSide;
        break;
    case ClipboardItemKind::Image:
        content = imageFrameHeight;
        break;
    }
    return std::max(minimumFrameHeight, std::ceil(topBand + content + bottomMargin));
}

QSize ClipboardItemView::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const HistoryListModel* model = m_list->historyModel();
    const int row = index.row();
    const qreal width = m_list->viewport()->width();
    qreal height = frameHeight(model->itemAt(row), width - 2 * horizontalPadding) + rowGap;
    if (row == 0)
        height += firstRowExtra;
    if (row == model->rowCount() - 1)
        height += lastRowExtra;
    return QSize(qRound(width), qRound(height));
}

ClipboardItemView::Geometry ClipboardItemView::geometry(const ClipboardItem& item, const QRect& itemRect,
                                                        int row, int rowCount) const
{
    Geometry g;
    qreal top = itemRect.top() + rowGap / 2 + (row == 0 ? firstRowExtra : 0);
    qreal bottom = itemRect.bottom() + 1 - rowGap / 2 - (row == rowCount - 1 ? lastRowExtra : 0);
    g.frame = QRectF(itemRect.left() + horizontalPadding, top, itemRect.width() - 2 * horizontalPadding,
                     bottom - top);
    const QRectF& f = g.frame;
    g.menuButton = QRectF(f.right() - menuButtonWidth, f.center().y() - 12, menuButtonWidth, 24);
    g.content = QRectF(f.left(), f.top(), f.width() - menuButtonWidth, f.height());
    const QFontMetricsF caption(captionFont(m_list->font()));
    g.date = QRectF(f.left() + f.width() / 2, f.top() + 6, f.width() / 2 - 14, caption.height());
    if (item.isPinned())
        g.pinMark = QRectF(f.right() - 14 - 16, f.bottom() - 6 - 16, 16, 16);

    const qreal left = f.left() + leftInset;
    const qreal contentTop = f.top() + topBand;
    switch (item.type().kind()) {
    case ClipboardItemKind::Text: {
        qreal x = left;
        if (faviconURL(item) || item.isSensitive()) {
            g.favicon = QRectF(x, contentTop, 20, 20);
            x += 26;
        }
        const qreal width = textWidth(item, f.width());
        g.text = QRectF(x, contentTop, width, f.bottom() - bottomMargin - contentTop);
        break;
    }
    case ClipboardItemKind::File:
        g.fileIcon = QRectF(left, contentTop, fileIconSide, fileIconSide);
        g.fileName = QRectF(left + fileIconSide / 2 - fileNameWidth / 2, contentTop + fileIconSide + 4,
                            fileNameWidth, caption.lineSpacing());
        if (g.fileName.left() < f.left() + 4)
            g.fileName.moveLeft(left);
        break;
    case ClipboardItemKind::FileGroup: {
        g.countCaption = QRectF(left, f.top() + 6, f.width() / 2, caption.height());
        const qsizetype count = item.type().fileURLs().size();
        qreal x = left;
        for (qsizetype i = 0; i < std::min<qsizetype>(count, maximumTiles); ++i) {
            g.tiles << QRectF(x, contentTop, tileSide, tileSide);
            x += tileSide + tileSpacing;
        }
        if (count > maximumTiles)
            g.moreCaption = QRectF(x, contentTop, 36, tileSide);
        break;
    }
    case ClipboardItemKind::Image:
        g.image = QRectF(left, contentTop, g.content.width() - leftInset * 2, imageFrameHeight);
        break;
    }
    return g;
}

ClipboardItemView::Hit ClipboardItemView::hitTest(const ClipboardItem& item, const QRect& itemRect, int row,
                                                  int rowCount, const QPointF& pos) const
{
    const Geometry g = geometry(item, itemRect, row, rowCount);
    if (!g.frame.contains(pos))
        return Hit::None;
    if (!g.pinMark.isEmpty() && g.pinMark.adjusted(-4, -4, 4, 4).contains(pos))
        return Hit::PinMark;
    if (g.menuButton.adjusted(0, -6, 0, 6).contains(pos))
        return Hit::MenuButton;
    return g.content.contains(pos) ? Hit::Content : Hit::None;
}

QString ClipboardItemView::toolTipAt(const ClipboardItem& item, const QRect& itemRect, int row, int rowCount,
                                     const QPointF& pos) const
{
    const Geometry g = geometry(item, itemRect, row, rowCount);
    switch (item.type().kind()) {
    case ClipboardItemKind::File:
        if (g.content.contains(pos))
            return fileNameOf(item.type().fileURL());
        break;
    case ClipboardItemKind::FileGroup:
        for (qsizetype i = 0; i < g.tiles.size(); ++i) {
            if (g.tiles.at(i).contains(pos))
                return fileNameOf(item.type().fileURLs().at(i));
        }
        if (g.moreCaption.contains(pos))
            return remainingFileNames(item).join(u'\n');
        break;
    default:
        break;
    }
    return {};
}

void ClipboardItemView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const HistoryListModel* model = m_list->historyModel();
    const int row = index.row();
    const ClipboardItem& item = model->itemAt(row);
    const Geometry g = geometry(item, option.rect, row, model->rowCount());
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

    const QFont caption = captionFont(option.font);
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
                          fileCountCaption(item.type().fileURLs().size()));
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
        if (const auto favicon = faviconURL(item)) {
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
        for (const QString& line : textLines(item, g.text.width())) {
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
        const QFont caption = captionFont(option.font);
        painter->setFont(caption);
        painter->setPen(palette.color(QPalette::Text));
        const QString name =
            QFontMetricsF(caption).elidedText(fileNameOf(url), Qt::ElideMiddle, g.fileName.width());
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
            painter->setFont(captionFont(option.font));
            painter->setPen(palette.color(QPalette::PlaceholderText));
            painter->drawText(g.moreCaption, Qt::AlignLeft | Qt::AlignVCenter,
                              moreFilesCaption(urls.size() - maximumTiles));
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
