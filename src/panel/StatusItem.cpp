#include "panel/StatusItem.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include "common/Console.h"
#include "history/CaptureGate.h"
#include "panel/MenuBarContent.h"
#include "panel/SymbolPainter.h"

namespace {

// Dimmed while capture is paused, so the pause is visible without opening the menu.
QIcon statusIcon()
{
    QColor ink = QGuiApplication::palette().color(QPalette::WindowText);
    if (CaptureGate::shared().isPaused())
        ink.setAlphaF(0.4f);
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48})
        icon.addPixmap(SymbolPainter::pixmap(QStringLiteral("MenuBarIcon"), QSize(side, side), ink, 1.0));
    return icon;
}

} // namespace

MenuBarWindow::MenuBarWindow(QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
{
    setWindowTitle(QStringLiteral("Ovelin"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    m_content = new MenuBarContent(this);
    layout->addWidget(m_content);
    setMinimumWidth(200);
}

QPoint MenuBarWindow::placement(const QRect& anchor, const QSize& size, const QRect& screen)
{
    const bool below = anchor.center().y() < screen.center().y();
    int x = anchor.x();
    int y = below ? anchor.y() + anchor.height() + 4 : anchor.y() - size.height() - 4;
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.x() + screen.width() - size.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.y() + screen.height() - size.height()));
    return {x, y};
}

void MenuBarWindow::popUp(const QRect& anchor, const QPoint& pointer)
{
    const QRect target = anchor.isValid() && !anchor.isEmpty() ? anchor : QRect(pointer, QSize(1, 1));
    const QScreen* screen = QGuiApplication::screenAt(target.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    adjustSize();
    move(screen ? placement(target, size(), screen->geometry()) : target.topLeft());
    show();
    raise();
    activateWindow();
}

void MenuBarWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.2f);
    painter.setPen(border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

StatusItem::StatusItem(QObject* parent) : QObject(parent), m_menuWindow(std::make_unique<MenuBarWindow>())
{
}

StatusItem::~StatusItem() = default;

MenuBarContent* StatusItem::content() const
{
    return m_menuWindow->content();
}

void StatusItem::install()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        ovelin::printLine(
            QStringLiteral("⚠️ Nenhuma bandeja do sistema disponível: o ícone de status não será "
                           "exibido; o atalho, o gesto e o painel continuam funcionando."));
    // Installed anyway: the icon appears if a tray host starts later.
    m_trayIcon = new QSystemTrayIcon(statusIcon(), this);
    updateIcon();
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context ||
            reason == QSystemTrayIcon::DoubleClick)
            openMenu();
    });
    m_trayIcon->show();
    connect(&CaptureGate::shared(), &CaptureGate::pausedChanged, this, &StatusItem::updateIcon);
    // The icon is drawn in the desktop's text colour: redraw it when the desktop's palette changes.
    qApp->installEventFilter(this);
}

bool StatusItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && m_trayIcon)
        updateIcon();
    return QObject::eventFilter(watched, event);
}

void StatusItem::updateIcon()
{
    if (!m_trayIcon)
        return;
    m_trayIcon->setIcon(statusIcon());
    //: Tooltip of the status icon while nothing copied is captured.
    m_trayIcon->setToolTip(CaptureGate::shared().isPaused() ? qtTrId("tray_capture_paused")
                                                            : QStringLiteral("Ovelin"));
}

void StatusItem::openMenu()
{
    const QRect anchor = m_trayIcon ? m_trayIcon->geometry() : QRect();
    m_menuWindow->popUp(anchor, QCursor::pos());
}

QSystemTrayIcon* StatusItem::trayIcon() const
{
    return m_trayIcon;
}
