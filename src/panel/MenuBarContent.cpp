#include "panel/MenuBarContent.h"

#include <functional>

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "core/ShortcutText.h"
#include "history/CaptureGate.h"
#include "panel/SymbolPainter.h"

namespace {

constexpr int symbolSide = 16;
constexpr int iconTextGap = 8;

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QFont itemFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(14);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

MenuBarItemButton::MenuBarItemButton(MenuBarContent* content, int index, QString symbolName, bool upsideDown,
                                     const char* titleKey, QWidget* parent)
    : QAbstractButton(parent), m_content(content), m_index(index), m_symbolName(std::move(symbolName)),
      m_upsideDown(upsideDown)
{
    setText(qtTrId(titleKey));
    setFocusPolicy(Qt::NoFocus);
    setFont(itemFont(font()));
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::ArrowCursor);
}

bool MenuBarItemButton::isHighlighted() const
{
    return m_content->hoveredButton() == m_index;
}

QSize MenuBarItemButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    // 6 points left and right, 4 above and below.
    const int width = 6 + symbolSide + iconTextGap + metrics.horizontalAdvance(text()) + 6;
    const int height = 4 + std::max(symbolSide, metrics.height()) + 4;
    return {width, height};
}

void MenuBarItemButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isHighlighted()) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect()), 4, 4);
        QColor gray(Qt::gray);
        gray.setAlphaF(0.3f);
        painter.fillPath(background, gray);
    }
    const QColor ink = palette().color(QPalette::WindowText);
    const QRectF iconRect(6, (height() - symbolSide) / 2.0, symbolSide, symbolSide);
    painter.save();
    if (m_upsideDown) {
        painter.translate(iconRect.center());
        painter.rotate(180);
        painter.translate(-iconRect.center());
    }
    SymbolPainter::paint(&painter, iconRect, m_symbolName, ink);
    painter.restore();
    painter.setPen(ink);
    painter.setFont(font());
    const QRect textRect(6 + symbolSide + iconTextGap, 0, width() - (6 + symbolSide + iconTextGap) - 6,
                         height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
}

void MenuBarItemButton::enterEvent(QEnterEvent* event)
{
    m_content->setHoveredButton(m_index);
    QAbstractButton::enterEvent(event);
}

void MenuBarItemButton::leaveEvent(QEvent* event)
{
    if (m_content->hoveredButton() == m_index)
        m_content->setHoveredButton(std::nullopt);
    QAbstractButton::leaveEvent(event);
}

MenuBarContent::MenuBarContent(QWidget* parent) : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    setFocusPolicy(Qt::NoFocus);
    rebuild();
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == SettingsKey::shortcutKey)
            rebuild();
    });
    // Queued: the row that paused or resumed is still in its click when the rows are replaced.
    connect(&CaptureGate::shared(), &CaptureGate::pausedChanged, this, &MenuBarContent::rebuild,
            Qt::QueuedConnection);
}

void MenuBarContent::setHoveredButton(std::optional<int> index)
{
    if (m_hoveredButton == index)
        return;
    m_hoveredButton = index;
    for (MenuBarItemButton* item : m_items)
        item->update();
}

QString MenuBarContent::headerText() const
{
    // Looked up like every other text; without an entry the key shows itself.
    return qtTrId("Ovelin");
}

void MenuBarContent::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        rebuild();
    QWidget::changeEvent(event);
}

void MenuBarContent::rebuild()
{
    // A fresh body, as a new view tree would be: new texts and no highlighted row.
    delete m_body;
    m_items.clear();
    m_hoveredButton.reset();

    m_body = new QWidget(this);
    auto* stack = new QVBoxLayout(m_body);
    stack->setContentsMargins(12, 6, 12, 6);
    stack->setSpacing(4);

    auto* header = new QLabel(headerText(), m_body);
    QFont caption = header->font();
    caption.setPixelSize(11);
    header->setFont(caption);
    header->setForegroundRole(QPalette::PlaceholderText);
    header->setContentsMargins(12, 6, 12, 0);
    stack->addWidget(header);
    stack->addWidget(divider(m_body));

    auto addItem = [this, stack](int index, const QString& symbol, bool upsideDown, const char* key) {
        auto* item = new MenuBarItemButton(this, index, symbol, upsideDown, key, m_body);
        m_items.append(item);
        stack->addWidget(item);
        return item;
    };
    //: Status menu: shows the history panel at the pointer.
    auto* show = addItem(ShowItem, QStringLiteral("v.square"), true, QT_TRID_NOOP("menu_show"));
    //: Status menu: opens the preferences window.
    auto* preferences =
        addItem(PreferencesItem, QStringLiteral("gearshape"), false, QT_TRID_NOOP("menu_preferences"));
    // The pause rows join the list after the quit row, so the rows above keep their places.
    QList<MenuBarItemButton*> pauseRows;
    auto addPauseRow = [&](int index, const QString& symbol, const char* key, std::function<void()> action) {
        auto* row = new MenuBarItemButton(this, index, symbol, false, key, m_body);
        pauseRows.append(row);
        stack->addWidget(row);
        connect(row, &QAbstractButton::clicked, this, std::move(action));
    };
    CaptureGate& gate = CaptureGate::shared();
    if (gate.isPaused()) {
        //: Status menu, while capture is paused: captures copies again.
        addPauseRow(ResumeItem, QStringLiteral("play.circle"), QT_TRID_NOOP("menu_resume_capture"),
                    [&gate] { gate.resume(); });
    } else {
        //: Status menu: nothing copied is kept for the next 15 minutes.
        addPauseRow(PauseQuarterHourItem, QStringLiteral("pause.circle"),
                    QT_TRID_NOOP("menu_pause_15_minutes"), [&gate] { gate.pause(15); });
        //: Status menu: nothing copied is kept for the next hour.
        addPauseRow(PauseHourItem, QStringLiteral("pause.circle"), QT_TRID_NOOP("menu_pause_1_hour"),
                    [&gate] { gate.pause(60); });
        //: Status menu: nothing copied is kept until "Resume capture" is chosen.
        addPauseRow(PauseUntilResumedItem, QStringLiteral("pause.circle"),
                    QT_TRID_NOOP("menu_pause_until_resumed"), [&gate] { gate.pause(); });
    }

    auto* spacedDivider = new QWidget(m_body);
    auto* dividerLayout = new QVBoxLayout(spacedDivider);
    dividerLayout->setContentsMargins(0, 2, 0, 2);
    dividerLayout->addWidget(divider(spacedDivider));
    stack->addWidget(spacedDivider);
    //: Status menu: quits Ovelin.
    auto* quit = addItem(QuitItem, QStringLiteral("power"), false, QT_TRID_NOOP("menu_quit"));

    // The row's tooltip names the shortcut that does the same.
    show->setToolTip(
        shortcutDisplayText(Settings::shared().stringValue(QString(SettingsKey::shortcutKey))));
    connect(show, &QAbstractButton::clicked, this, &MenuBarContent::showHistoryRequested);
    connect(preferences, &QAbstractButton::clicked, this, &MenuBarContent::preferencesRequested);
    connect(quit, &QAbstractButton::clicked, this, &MenuBarContent::quitRequested);
    m_items.append(pauseRows);

    layout()->addWidget(m_body);
    m_body->show();
}
