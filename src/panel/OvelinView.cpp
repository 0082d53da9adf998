#include "panel/OvelinView.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "common/Console.h"
#include "core/AppEnvironment.h"
#include "core/Settings.h"
#include "core/ShortcutText.h"
#include "history/ClipboardHistory.h"
#include "panel/FileIconView.h"
#include "panel/HistoryListView.h"
#include "panel/PanelBackground.h"
#include "panel/PanelGeometry.h"
#include "panel/PanelKeyFilter.h"
#include "panel/ResizeHandlesOverlay.h"
#include "panel/SearchBar.h"
#include "panel/WindowManager.h"

using namespace Qt::StringLiterals;

OvelinView::OvelinView(ClipboardHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history), m_searchBar(new SearchBar(this)),
      m_list(new HistoryListView(this)), m_resizeStrip(new ResizeHandlesOverlay(this)),
      m_keyFilter(new PanelKeyFilter(
          {.keyPressed = [this](const QKeyEvent& event) { return takeKey(event); },
           .quickKeysShown = [this](bool shown) { setQuickKeysShown(shown); },
           .activeChanged =
               [this](bool active) {
                   if (active)
                       m_selection.ensure(true, false);
                   else
                       setQuickKeysShown(false);
               },
           // The panel frame may lay its own resize strip over ours; the grip still follows the pointer.
           .pointerMoved =
               [this](QWidget* widget) {
                   if (widget != m_resizeStrip)
                       m_resizeStrip->followPointer(QCursor::pos());
               }},
          this)),
      m_selection(*m_list)
{
    setObjectName(QStringLiteral("OvelinView"));
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumWidth(PanelGeometry::width);

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

    connect(m_list, &HistoryListView::itemClicked, this,
            [this](const ClipboardItem& item, Qt::KeyboardModifiers modifiers) {
                if (m_actions.paste)
                    m_actions.paste(item, PasteTrigger::RowClick,
                                    modifiers & Qt::ShiftModifier ? PasteFormat::PlainText
                                                                  : PasteFormat::AsCopied);
            });
    // The empty history's hint names the shortcut that opens the panel.
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == SettingsKey::shortcutKey)
            updateEmptyText();
    });
    connect(m_list, &HistoryListView::copyAgainRequested, this, [this](const ClipboardItem& item) {
        if (m_actions.copyToPasteboard)
            m_actions.copyToPasteboard(item);
    });
    connect(m_list, &HistoryListView::togglePinRequested, this,
            [this](const QUuid& id) { m_history.togglePin(id); });
    connect(m_list, &HistoryListView::deleteRequested, this,
            [this](const QUuid& id) { m_history.deleteItem(id); });

    m_keyFilter->watch(window());

    applyAppearanceStyle();
    rebuildList();
    setFocusProxy(m_searchBar);
    m_searchBar->focusField();
}

OvelinView::~OvelinView()
{
    // Hiding and tearing down the widgets sends events through the filter; its handlers reach
    // into this view, which is already gone by the time QWidget's destructor runs.
    delete m_keyFilter;
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
    updateEmptyText();
    ovelin::printLine(QStringLiteral("🧩 OvelinView foi renderizada"));
}

void OvelinView::updateEmptyText()
{
    // Only painted, never a widget of its own: the search field keeps the keyboard focus.
    QString text;
    if (!m_searchBar->text().isEmpty()) {
        text = qtTrId("search_no_match");
    } else if (m_history.history().isEmpty()) {
        const QString shortcut =
            shortcutDisplayText(Settings::shared().stringValue(QString(SettingsKey::shortcutKey)));
        text = shortcut.isEmpty() ? qtTrId("empty_history_hint")
                                  : qtTrId("empty_history_hint_with_shortcut").replace(u"%1"_s, shortcut);
    }
    m_list->setEmptyText(text);
}

void OvelinView::setQuickKeysShown(bool shown)
{
    m_list->setQuickKeysShown(shown);
}

void OvelinView::pasteSelectedItem(PasteFormat format)
{
    m_selection.ensure(!m_selection.selectedID().has_value(), false);
    const int row = m_selection.selectedRow();
    if (row >= 0 && m_actions.paste)
        m_actions.paste(m_list->historyModel()->itemAt(row), PasteTrigger::Keyboard, format);
}

void OvelinView::pasteRow(int row)
{
    const QList<ClipboardItem>& list = m_list->historyModel()->items();
    if (row < 0 || row >= list.size())
        return;
    m_selection.select(row, false);
    setQuickKeysShown(false);
    if (m_actions.paste)
        m_actions.paste(list.at(row), PasteTrigger::Keyboard, PasteFormat::AsCopied);
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
    if (const int row = PanelKeyFilter::quickKeyRow(event); row >= 0) {
        pasteRow(row);
        return;
    }
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pasteSelectedItem(event.modifiers() & Qt::ShiftModifier ? PasteFormat::PlainText
                                                                : PasteFormat::AsCopied);
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
    if (PanelKeyFilter::quickKeyRow(event) >= 0)
        return true;
    const int key = event.key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape && key != Qt::Key_Up &&
        key != Qt::Key_Down)
        return false;
    // Shortcuts with Control, Alt or Super belong to someone else; Shift does not count.
    return !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool OvelinView::takeKey(const QKeyEvent& event)
{
    if (!monitorTakes(event))
        return false;
    handleKeyDown(event);
    return true;
}

void OvelinView::onHistoryChanged()
{
    // Keys of items that left the history are not needed any more.
    m_search.prune(m_history.history().size());
    rebuildList();
    m_selection.ensure(false, false);
    m_list->retainPreviewsOf(m_history.history());
}

void OvelinView::onSearchTextChanged()
{
    rebuildList();
    m_selection.ensure(true, false);
}

void OvelinView::rebuildFromTop()
{
    rebuildList();
    m_list->verticalScrollBar()->setValue(0);
    // The rebuilt list shows its content again, which selects the first row.
    m_selection.ensure(true, false);
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
    // The view may be put into the panel after it was made: the panel is watched on every show.
    m_keyFilter->watch(window());
    m_list->thumbnailer()->forgetFailures();
    setAnimateItemsOnAppear(false);
    setQuickKeysShown(false);
    QTimer::singleShot(appearDelayMs, this, [this] { setAnimateItemsOnAppear(true); });
    m_selection.ensure(true, false);
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
    if (event->type() == QEvent::LanguageChange) {
        updateEmptyText();
        m_list->viewport()->update();
    }
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
    PanelBackground::paint(painter, rect(), isModern() ? 26 : 16, palette(), true);
}

void OvelinView::onDragChanged(qreal dy)
{
    if (isModern())
        m_resizeDrag.changed(window(), dy);
}

void OvelinView::onDragEnded(qreal dy)
{
    if (isModern())
        m_resizeDrag.ended(window(), dy);
}
