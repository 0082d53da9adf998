#include "panel/ClipboardItemLayout.h"

#include <cmath>

#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTextLayout>

#include "panel/HistorySearch.h"

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

} // namespace

ClipboardItemLayout::ClipboardItemLayout(ShownText shownText) : m_shownText(std::move(shownText))
{
}

void ClipboardItemLayout::setFont(const QFont& font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_textCache.clear();
}

QFont ClipboardItemLayout::captionFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(std::max(7.0, base.pointSizeF() * 0.8));
    return font;
}

QString ClipboardItemLayout::fileNameOf(const QUrl& url)
{
    const QString name = HistorySearch::fileName(url);
    return name.isEmpty() ? url.toDisplayString(QUrl::PreferLocalFile) : name;
}

QString ClipboardItemLayout::displayText(const QString& text)
{
    static const QRegularExpression runs(QStringLiteral("\\s{2,}"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QString result = text;
    return result.replace(runs, QStringLiteral(" "));
}

// The translations hold one form with "%n" for the number.
QString ClipboardItemLayout::fileCountCaption(qsizetype count)
{
    return qtTrId("file_group_count").replace(QStringLiteral("%n"), QString::number(count));
}

QString ClipboardItemLayout::moreFilesCaption(qsizetype hidden)
{
    return qtTrId("file_group_more").replace(QStringLiteral("%n"), QString::number(hidden));
}

QStringList ClipboardItemLayout::remainingFileNames(const ClipboardItem& item)
{
    QStringList names;
    if (item.type().kind() != ClipboardItemKind::FileGroup)
        return names;
    const QList<QUrl>& urls = item.type().fileURLs();
    for (qsizetype i = maximumTiles; i < urls.size(); ++i)
        names << fileNameOf(urls.at(i));
    return names;
}

std::optional<QUrl> ClipboardItemLayout::faviconURL(const ClipboardItem& item)
{
    return item.isSensitive() ? std::nullopt : item.type().faviconURL();
}

qreal ClipboardItemLayout::textWidth(const ClipboardItem& item, qreal frameWidth) const
{
    qreal width = frameWidth - leftInset - menuButtonWidth - 8;
    if (faviconURL(item) || item.isSensitive())
        width -= 26;
    return std::max<qreal>(40, std::min(maximumTextWidth, width));
}

QStringList ClipboardItemLayout::textLines(const ClipboardItem& item, qreal width) const
{
    auto cached = m_textCache.constFind(item.id());
    if (cached != m_textCache.constEnd() && qFuzzyCompare(cached->width, width))
        return cached->lines;

    const QString shown = m_shownText ? m_shownText(item) : item.type().text();
    QString text = displayText(shown.left(layoutCharacterLimit));
    const QFont& font = m_font;
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

qreal ClipboardItemLayout::frameHeight(const ClipboardItem& item, qreal frameWidth) const
{
    const QFontMetricsF metrics(m_font);
    const QFontMetricsF caption(captionFont(m_font));
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

ClipboardItemLayout::Geometry ClipboardItemLayout::geometry(const ClipboardItem& item, const QRect& itemRect,
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
    const QFontMetricsF caption(captionFont(m_font));
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

ClipboardItemLayout::Hit ClipboardItemLayout::hitTest(const ClipboardItem& item, const QRect& itemRect,
                                                      int row, int rowCount, const QPointF& pos) const
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

QString ClipboardItemLayout::toolTipAt(const ClipboardItem& item, const QRect& itemRect, int row,
                                       int rowCount, const QPointF& pos) const
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

qreal ClipboardItemLayout::rowHeight(const ClipboardItem& item, int row, int rowCount, qreal width) const
{
    qreal height = frameHeight(item, width - 2 * horizontalPadding) + rowGap;
    if (row == 0)
        height += firstRowExtra;
    if (row == rowCount - 1)
        height += lastRowExtra;
    return height;
}
