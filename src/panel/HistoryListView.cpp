#include "panel/HistoryListView.h"

#include <QEasingCurve>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QToolTip>

#include "panel/ClipboardItemView.h"
#include "panel/FaviconLoader.h"
#include "panel/FileIconView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/RowActionMenu.h"

namespace {

constexpr qint64 outlineMs = 200;
constexpr qint64 appearMs = 500;
constexpr qint64 appearStaggerMs = 20;
constexpr int scrollMs = 200;

qreal easeOut(qreal t)
{
    return 1 - (1 - t) * (1 - t) * (1 - t);
}

} // namespace

HistoryListView::HistoryListView(QWidget* parent)
    : QListView(parent), m_model(new HistoryListModel(this)), m_thumbnailer(new FileThumbnailer(this)),
      m_images(new ImagePreviewCache(QSize(340, int(ClipboardItemLayout::imageFrameHeight)),
                                     FileThumbnailer::backingScale(), this)),
      m_scrollAnimation(new QPropertyAnimation(verticalScrollBar(), "value", this)),
      m_layout([this](const ClipboardItem& item) { return m_model->shownText(item); })
{
    m_layout.setFont(font());
    m_delegate = new ClipboardItemView(this, m_layout, m_thumbnailer, m_images);
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    verticalScrollBar()->setSingleStep(20);

    m_scrollAnimation->setDuration(scrollMs);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    m_ticker.setInterval(16);
    connect(&m_ticker, &QTimer::timeout, this, &HistoryListView::tick);
    m_spinnerClock.start();

    connect(m_thumbnailer, &FileThumbnailer::thumbnailChanged, viewport(), qOverload<>(&QWidget::update));
    connect(m_images, &ImagePreviewCache::previewReady, viewport(), qOverload<>(&QWidget::update));
    connect(&FaviconLoader::shared(), &FaviconLoader::faviconLoaded, viewport(),
            qOverload<>(&QWidget::update));
}

HistoryListView::~HistoryListView() = default;

void HistoryListView::setSelectedID(std::optional<QUuid> id)
{
    if (id == m_selectedID)
        return;
    m_selection.previous = m_selectedID;
    m_selection.current = id;
    m_selection.clock.start();
    m_selectedID = id;
    startTicking();
    viewport()->update();
}

void HistoryListView::setHoveredID(std::optional<QUuid> id)
{
    if (id == m_hoveredID)
        return;
    m_hover.previous = m_hoveredID;
    m_hover.current = id;
    m_hover.clock.start();
    m_hoveredID = id;
    startTicking();
    viewport()->update();
}

qreal HistoryListView::progressOf(const Transition& t, const QUuid& id)
{
    const qreal elapsed = t.clock.isValid() ? std::min<qreal>(1, t.clock.elapsed() / qreal(outlineMs)) : 1;
    if (t.current == id)
        return elapsed;
    if (t.previous == id)
        return 1 - elapsed;
    return 0;
}

qreal HistoryListView::selectionProgress(const QUuid& id) const
{
    return progressOf(m_selection, id);
}

qreal HistoryListView::hoverProgress(const QUuid& id) const
{
    return progressOf(m_hover, id);
}

void HistoryListView::setAnimateItemsOnAppear(bool animate)
{
    m_animateItemsOnAppear = animate;
    if (animate) {
        m_appearClock.start();
        startTicking();
    } else {
        m_appearClock.invalidate();
    }
    viewport()->update();
}

qreal HistoryListView::appearProgress(int row) const
{
    if (!m_animateItemsOnAppear)
        return 0;
    if (!m_appearClock.isValid())
        return 1;
    const qreal t = (m_appearClock.elapsed() - std::min(row, 30) * appearStaggerMs) / qreal(appearMs);
    return easeOut(std::clamp<qreal>(t, 0, 1));
}

qreal HistoryListView::spinnerPhase() const
{
    return (m_spinnerClock.elapsed() % 1000) / 1000.0;
}

void HistoryListView::setModernStyle(bool modern)
{
    m_modernStyle = modern;
    viewport()->update();
}

bool HistoryListView::animationsRunning() const
{
    auto running = [](const Transition& t) { return t.clock.isValid() && t.clock.elapsed() < outlineMs; };
    if (running(m_selection) || running(m_hover) || m_thumbnailer->hasPendingRequests())
        return true;
    if (m_animateItemsOnAppear && m_appearClock.isValid()) {
        const int lastVisible = std::max(0, rowAt(QPoint(1, viewport()->height() - 1)));
        const int rows = lastVisible >= 0 ? lastVisible + 1 : int(m_model->rowCount());
        return m_appearClock.elapsed() < appearMs + rows * appearStaggerMs;
    }
    return false;
}

void HistoryListView::startTicking()
{
    if (!m_ticker.isActive() && isVisible())
        m_ticker.start();
}

void HistoryListView::tick()
{
    if (!isVisible() || !animationsRunning()) {
        m_ticker.stop();
        return;
    }
    viewport()->update();
}

void HistoryListView::animationFinishedForTests()
{
    m_selection.clock.invalidate();
    m_hover.clock.invalidate();
    m_appearClock.invalidate();
    m_scrollAnimation->stop();
}

void HistoryListView::setQuickKeysShown(bool shown)
{
    if (m_quickKeysShown == shown)
        return;
    m_quickKeysShown = shown;
    viewport()->update();
}

void HistoryListView::setEmptyText(const QString& text)
{
    if (m_emptyText == text)
        return;
    m_emptyText = text;
    viewport()->update();
}

void HistoryListView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_model->rowCount() > 0 || m_emptyText.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(32, 0, -32, 0), Qt::AlignCenter | Qt::TextWordWrap,
                     m_emptyText);
}

int HistoryListView::rowAt(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void HistoryListView::scrollToRow(int row, ScrollPosition position, bool animated)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    QScrollBar* bar = verticalScrollBar();
    m_scrollAnimation->stop();
    const QRect rect = visualRect(m_model->index(row));
    int target = bar->value();
    if (position == ScrollPosition::Center)
        target += rect.center().y() - viewport()->height() / 2;
    else
        target += rect.top();
    target = std::clamp(target, bar->minimum(), bar->maximum());
    if (!animated || !isVisible() || target == bar->value()) {
        bar->setValue(target);
        return;
    }
    m_scrollAnimation->setStartValue(bar->value());
    m_scrollAnimation->setEndValue(target);
    m_scrollAnimation->start();
}

void HistoryListView::mousePressEvent(QMouseEvent* event)
{
    m_pressedID.reset();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    if (row < 0)
        return;
    const ClipboardItem& item = m_model->itemAt(row);
    const QRect rect = visualRect(m_model->index(row));
    switch (m_layout.hitTest(item, rect, row, int(m_model->rowCount()), event->position())) {
    case ClipboardItemLayout::Hit::MenuButton:
        showActionMenu(row);
        break;
    case ClipboardItemLayout::Hit::PinMark:
        Q_EMIT togglePinRequested(item.id());
        break;
    case ClipboardItemLayout::Hit::Content:
        m_pressedID = item.id();
        break;
    case ClipboardItemLayout::Hit::None:
        break;
    }
    event->accept();
}

void HistoryListView::mouseReleaseEvent(QMouseEvent* event)
{
    const std::optional<QUuid> pressed = std::exchange(m_pressedID, std::nullopt);
    if (event->button() != Qt::LeftButton || !pressed)
        return;
    // The release must land on the row that was pressed, even if the list changed meanwhile.
    const int row = rowAt(event->position().toPoint());
    if (row < 0 || m_model->itemAt(row).id() != *pressed)
        return;
    const ClipboardItem item = m_model->itemAt(row);
    const QRect rect = visualRect(m_model->index(row));
    if (m_layout.hitTest(item, rect, row, int(m_model->rowCount()), event->position()) ==
        ClipboardItemLayout::Hit::Content)
        Q_EMIT itemClicked(item, event->modifiers());
    event->accept();
}

void HistoryListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A second click is just another click; the first one already pasted.
    event->accept();
}

void HistoryListView::mouseMoveEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint());
    if (row >= 0) {
        const ClipboardItem& item = m_model->itemAt(row);
        const QRect rect = visualRect(m_model->index(row));
        const bool inside = m_layout.hitTest(item, rect, row, int(m_model->rowCount()), event->position()) !=
                            ClipboardItemLayout::Hit::None;
        setHoveredID(inside ? std::optional<QUuid>(item.id()) : std::nullopt);
    } else {
        setHoveredID(std::nullopt);
    }
    event->accept();
}

void HistoryListView::leaveEvent(QEvent* event)
{
    setHoveredID(std::nullopt);
    QListView::leaveEvent(event);
}

bool HistoryListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = rowAt(help->pos());
        QString tip;
        if (row >= 0) {
            tip = m_layout.toolTipAt(m_model->itemAt(row), visualRect(m_model->index(row)), row,
                                     int(m_model->rowCount()), help->pos());
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    if (event->type() == QEvent::Show) {
        startTicking();
        viewport()->update();
    }
    return QListView::viewportEvent(event);
}

void HistoryListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_layout.setFont(font());
    QListView::changeEvent(event);
}

void HistoryListView::resizeEvent(QResizeEvent* event)
{
    m_layout.forgetLayouts();
    QListView::resizeEvent(event);
    doItemsLayout();
}

void HistoryListView::showActionMenu(int row)
{
    const ClipboardItem item = m_model->itemAt(row);
    auto* menu =
        new RowActionMenu(item, row == m_model->mostRecentRow(), m_model->isRevealed(item.id()), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QUuid id = item.id();
    connect(menu, &RowActionMenu::copyAgainRequested, this,
            [this, item] { Q_EMIT copyAgainRequested(item); });
    connect(menu, &RowActionMenu::togglePinRequested, this, [this, id] { Q_EMIT togglePinRequested(id); });
    connect(menu, &RowActionMenu::deleteRequested, this, [this, id] { Q_EMIT deleteRequested(id); });
    connect(menu, &RowActionMenu::revealRequested, this,
            [this, id](bool reveal) { setRevealed(id, reveal); });
    const QRect rect = visualRect(m_model->index(row));
    const ClipboardItemLayout::Geometry g = m_layout.geometry(item, rect, row, int(m_model->rowCount()));
    menu->popup(viewport()->mapToGlobal(g.menuButton.bottomLeft().toPoint()));
}

void HistoryListView::setRevealed(const QUuid& id, bool revealed)
{
    m_model->setRevealed(id, revealed);
    // The row's text and height change with it.
    m_layout.forgetLayouts();
    doItemsLayout();
    viewport()->update();
}

void HistoryListView::hideEvent(QHideEvent* event)
{
    // A secret shown once is masked again the next time the panel opens.
    if (m_model->hideRevealed()) {
        m_layout.forgetLayouts();
        doItemsLayout();
    }
    QListView::hideEvent(event);
}

void HistoryListView::retainPreviewsOf(const QList<ClipboardItem>& history)
{
    QList<QUuid> ids;
    QSet<QUrl> files;
    ids.reserve(history.size());
    for (const ClipboardItem& item : history) {
        ids << item.id();
        if (item.type().kind() == ClipboardItemKind::File)
            files.insert(item.type().fileURL());
        else if (item.type().kind() == ClipboardItemKind::FileGroup)
            files.unite(QSet<QUrl>(item.type().fileURLs().cbegin(), item.type().fileURLs().cend()));
    }
    m_images->retainOnly(ids);
    m_thumbnailer->retainOnly(files);
}
