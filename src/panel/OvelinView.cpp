#include "panel/OvelinView.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppEnvironment.h"
#include "common/Console.h"
#include "history/ClipboardHistory.h"
#include "panel/FileIconView.h"
#include "panel/HistoryListView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/ResizeHandlesOverlay.h"
#include "panel/SearchBar.h"
#include "panel/WindowManager.h"

namespace {

bool isHandledKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Up ||
           key == Qt::Key_Down;
}

} // namespace

OvelinView::OvelinView(ClipboardHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history), m_searchBar(new SearchBar(this)),
      m_list(new HistoryListView(this)), m_resizeStrip(new ResizeHandlesOverlay(this)),
      m_actions(ItemActions::standard())
{
    setObjectName(QStringLiteral("OvelinView"));
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumWidth(AppEnvironment::defaultWindowWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_searchBar);
    layout->addWidget(m_list, 1);

    m_resizeStrip->setWheelTarget(m_list->viewport());
    m_resizeStrip->onDragChanged = [this](qreal dy) { onDragChanged(dy); };
    m_resizeStrip->onDragEnded = [this](qreal dy) { onDragEnded(dy); };

    connect(m_searchBar, &SearchBar::textChanged, this, &OvelinView::onSearchTextChanged);
    connect(&m_history, &ClipboardHistory::historyChanged, this, &OvelinView::onHistoryChanged);
    connect(&m_history, &ClipboardHistory::pinnedScrollTargetIDChanged, this,
            &OvelinView::onPinnedScrollTargetChanged);
    connect(&AppEnvironment::shared(), &AppEnvironment::appearanceStyleChanged, this,
            &OvelinView::applyAppearanceStyle);
    // Dates and captions are formatted when drawn, in the chosen language.
    connect(&AppEnvironment::shared(), &AppEnvironment::selectedLanguageChanged, m_list->viewport(),
            qOverload<>(&QWidget::update));

    connect(m_list, &HistoryListView::itemClicked, this, [this](const ClipboardItem& item) {
        if (m_actions.paste)
            m_actions.paste(item, PasteTrigger::RowClick);
    });
    connect(m_list, &HistoryListView::copyAgainRequested, this, [this](const ClipboardItem& item) {
        if (m_actions.copyToPasteboard)
            m_actions.copyToPasteboard(item);
    });
    connect(m_list, &HistoryListView::togglePinRequested, this,
            [this](const QUuid& id) { m_history.togglePin(id); });
    connect(m_list, &HistoryListView::deleteRequested, this,
            [this](const QUuid& id) { m_history.deleteItem(id); });

    watchPanel();

    applyAppearanceStyle();
    rebuildList();
    setFocusProxy(m_searchBar);
    m_searchBar->focusField();
}

OvelinView::~OvelinView() = default;

void OvelinView::watchPanel()
{
    // The key monitor sees the panel's own widgets only: keys typed in other windows never pass
    // through it. The view may be put into the panel after it was made, so this runs again on
    // every show; widgets added later are caught once they are polished.
    QWidget* panel = window();
    panel->installEventFilter(this);
    const QList<QWidget*> children = panel->findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

QList<ClipboardItem> OvelinView::filteredItems() const
{
    return m_search.filter(m_history.history(), m_searchBar->text());
}

QString OvelinView::searchText() const
{
    return m_searchBar->text();
}

void OvelinView::setSearchText(const QString& text)
{
    m_searchBar->setText(text);
}

void OvelinView::rebuildList()
{
    m_list->historyModel()->setItems(filteredItems());
    ovelin::printLine(QStringLiteral("🧩 OvelinView foi renderizada"));
}

void OvelinView::selectItem(const QList<ClipboardItem>& list, int index, bool animated)
{
    if (index < 0 || index >= list.size())
        return;
    const QUuid newID = list.at(index).id();
    const bool changed = m_selectedItemID != newID;
    m_selectedItemID = newID;
    m_list->setSelectedID(newID);
    m_list->scrollToRow(m_list->historyModel()->rowOf(newID), HistoryListView::ScrollPosition::Center,
                        animated && changed);
}

void OvelinView::ensureSelection(bool resetToFirst, bool animated)
{
    const QList<ClipboardItem>& list = m_list->historyModel()->items();
    if (list.isEmpty()) {
        m_selectedItemID.reset();
        m_list->setSelectedID(std::nullopt);
        return;
    }
    if (!resetToFirst && m_selectedItemID && m_list->historyModel()->rowOf(*m_selectedItemID) >= 0)
        return;
    selectItem(list, 0, animated);
}

void OvelinView::moveSelection(int step)
{
    ensureSelection(!m_selectedItemID.has_value(), false);
    const QList<ClipboardItem>& list = m_list->historyModel()->items();
    if (list.isEmpty() || !m_selectedItemID)
        return;
    const int i = m_list->historyModel()->rowOf(*m_selectedItemID);
    if (i < 0)
        return;
    const int j = i + step;
    if (j < 0 || j >= list.size())
        return;
    selectItem(list, j, true);
}

void OvelinView::pasteSelectedItem()
{
    ensureSelection(!m_selectedItemID.has_value(), false);
    if (!m_selectedItemID)
        return;
    const int row = m_list->historyModel()->rowOf(*m_selectedItemID);
    if (row < 0)
        return;
    const ClipboardItem item = m_list->historyModel()->itemAt(row);
    if (m_actions.paste)
        m_actions.paste(item, PasteTrigger::Keyboard);
}

void OvelinView::hidePanel()
{
    // Escape takes the panel, this view's window, off the screen.
    if (QWidget* panel = window())
        panel->hide();
    ovelin::printLine(QStringLiteral("🔴 Janela oculta"));
}

void OvelinView::handleKeyDown(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pasteSelectedItem();
        break;
    case Qt::Key_Escape:
        hidePanel();
        break;
    case Qt::Key_Down:
        moveSelection(+1);
        break;
    case Qt::Key_Up:
        moveSelection(-1);
        break;
    default:
        break;
    }
}

bool OvelinView::monitorTakes(const QKeyEvent& event) const
{
    if (!window()->isActiveWindow())
        return false;
    if (!isHandledKey(event.key()))
        return false;
    // Shortcuts with Control, Alt or Super belong to someone else; Shift does not count.
    return !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool OvelinView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildPolished:
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            child->installEventFilter(this);
            const QList<QWidget*> descendants = child->findChildren<QWidget*>();
            for (QWidget* descendant : descendants)
                descendant->installEventFilter(this);
        }
        break;
    case QEvent::WindowActivate:
        if (watched == window())
            ensureSelection(true, false);
        break;
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseMove: {
        // The panel frame may lay its own resize strip over ours; the grip still follows the pointer.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget != m_resizeStrip && widget->window() == window())
            m_resizeStrip->followPointer(QCursor::pos());
        break;
    }
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window())
            break;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!monitorTakes(*key))
            break;
        handleKeyDown(*key);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void OvelinView::onHistoryChanged()
{
    // Keys of items that left the history are not needed any more.
    m_search.prune(m_history.history().size());
    rebuildList();
    ensureSelection(false, false);
    // Previews and thumbnails of items that left the history are not needed any more.
    QList<QUuid> ids;
    QSet<QUrl> files;
    ids.reserve(m_history.history().size());
    for (const ClipboardItem& item : m_history.history()) {
        ids << item.id();
        if (item.type().kind() == ClipboardItemKind::File)
            files.insert(item.type().fileURL());
        else if (item.type().kind() == ClipboardItemKind::FileGroup)
            files.unite(QSet<QUrl>(item.type().fileURLs().cbegin(), item.type().fileURLs().cend()));
    }
    m_list->imagePreviews()->retainOnly(ids);
    m_list->thumbnailer()->retainOnly(files);
}

void OvelinView::onSearchTextChanged()
{
    rebuildList();
    ensureSelection(true, false);
}

void OvelinView::rebuildFromTop()
{
    rebuildList();
    m_list->verticalScrollBar()->setValue(0);
    // The rebuilt list shows its content again, which selects the first row.
    ensureSelection(true, false);
}

void OvelinView::onPinnedScrollTargetChanged()
{
    const std::optional<QUuid> target = m_history.pinnedScrollTargetID();
    if (!target)
        return;
    rebuildFromTop();
    const QUuid id = *target;
    QTimer::singleShot(pinnedScrollDelayMs, this, [this, id] {
        ovelin::printLine(QStringLiteral("📌 Scroll para item fixado: ") +
                          id.toString(QUuid::WithoutBraces).toUpper());
        m_list->scrollToRow(m_list->historyModel()->rowOf(id), HistoryListView::ScrollPosition::Top, true);
        QTimer::singleShot(0, this, [this] { m_history.setPinnedScrollTargetID(std::nullopt); });
    });
}

void OvelinView::setAnimateItemsOnAppear(bool animate)
{
    m_animateItemsOnAppear = animate;
    m_list->setAnimateItemsOnAppear(animate);
}

void OvelinView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    watchPanel();
    m_list->thumbnailer()->forgetFailures();
    setAnimateItemsOnAppear(false);
    QTimer::singleShot(appearDelayMs, this, [this] { setAnimateItemsOnAppear(true); });
    ensureSelection(true, false);
    m_searchBar->focusField();
}

bool OvelinView::isModern() const
{
    return AppEnvironment::shared().appearanceStyle() == AppearanceStyle::Modern;
}

void OvelinView::applyAppearanceStyle()
{
    const bool modern = isModern();
    m_list->setModernStyle(modern);
    m_resizeStrip->setVisible(modern);
    m_resizeStrip->raise();
    update();
}

void OvelinView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_list->viewport()->update();
    QWidget::changeEvent(event);
}

void OvelinView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_resizeStrip->setGeometry(0, height() - ResizeHandlesOverlay::stripHeight, width(),
                               ResizeHandlesOverlay::stripHeight);
}

void OvelinView::paintEvent(QPaintEvent*)
{
    // Inside the panel the frame draws the rounded background; on its own the view draws it.
    if (!isWindow())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = isModern() ? 26 : 16;
    QColor fill = palette().color(QPalette::Window);
    fill.setAlphaF(0.92f);
    painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), radius, radius);
}

void OvelinView::onDragChanged(qreal dy)
{
    if (!isModern())
        return;
    QWidget* panel = window();
    if (!m_dragStartHeight)
        m_dragStartHeight = panel ? double(panel->height()) : AppEnvironment::shared().windowHeight();
    if (!panel)
        return;
    const int newHeight = WindowManager::sanitizedHeight(*m_dragStartHeight + dy);
    // The top edge stays; the panel grows or shrinks at the bottom.
    panel->setGeometry(panel->x(), panel->y(), AppEnvironment::defaultWindowWidth, newHeight);
}

void OvelinView::onDragEnded(qreal dy)
{
    if (!isModern())
        return;
    QWidget* panel = window();
    const double start =
        m_dragStartHeight.value_or(panel ? double(panel->height()) : AppEnvironment::shared().windowHeight());
    m_dragStartHeight.reset();
    const double height = start + dy;
    if (m_resizeWindow)
        m_resizeWindow(height, true);
    else
        WindowManager::shared().resizeWindow(height, true);
}
