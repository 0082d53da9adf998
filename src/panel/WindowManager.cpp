#include "panel/WindowManager.h"

#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QScreen>

#include "common/Console.h"
#include "core/AppEnvironment.h"
#include "panel/CustomPanel.h"
#include "panel/PanelGeometry.h"
#include "panel/PanelPlacement.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/WindowSystem.h"
#include "telemetry/Telemetry.h"

WindowManager& WindowManager::shared()
{
    static WindowManager instance;
    return instance;
}

void WindowManager::setPointerSource(std::function<QPoint()> source)
{
    m_pointerSource = std::move(source);
}

void WindowManager::registerWindow(QWidget* window)
{
    m_window = window;
    const auto* panel = qobject_cast<CustomPanel*>(window);
    const int level = panel ? panel->level() : 0;
    ovelin::printLine(QStringLiteral("🔍 Janela registrada com nível: ") + QString::number(level));
}

int WindowManager::sanitizedHeight(double height)
{
    if (!std::isfinite(height))
        return PanelGeometry::defaultHeight;
    if (height <= PanelGeometry::minimumHeight)
        return PanelGeometry::minimumHeight;
    if (height >= PanelGeometry::maximumHeight)
        return PanelGeometry::maximumHeight;
    return static_cast<int>(std::lround(height));
}

void WindowManager::rememberActiveWindow()
{
    if (!m_frontmost)
        return;
    const auto frontmost = m_frontmost->frontmostApplication();
    if (!frontmost || frontmost->windowId == 0)
        return;
    const quint64 active = frontmost->windowId;
    // Ovelin's own windows are not where the focus goes back to.
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        if (topLevel->internalWinId() == active)
            return;
    }
    m_previousActiveWindow = active;
}

void WindowManager::orderFrontAndActivate()
{
    QWidget* panel = m_window;
    panel->show();
    panel->raise();
    panel->activateWindow();
    if (m_windowSystem)
        m_windowSystem->setOnAllDesktops(panel->winId());
    // Asked as the user's own choice: the shortcut's key press never reaches Qt, so Qt's request
    // would carry an old timestamp that focus-stealing prevention may refuse.
    if (m_frontmost)
        m_frontmost->activateWindow(panel->winId());
    panel->setFocus(Qt::ActiveWindowFocusReason);
}

void WindowManager::showAtCursor(const QString& source)
{
    if (!m_window)
        return;
    rememberActiveWindow();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QPoint pointer = m_pointerSource ? m_pointerSource() : QCursor::pos();
    if (const auto origin = PanelPlacement::origin(pointer, m_window->size(), screens))
        m_window->move(*origin);
    orderFrontAndActivate();
    // Where a client cannot place its own window, the compositor is asked once the panel is shown.
    if (m_windowSystem)
        m_windowSystem->placeAtPointer(m_window->winId());
    Telemetry::shared().sendThrottled(AppSignal::WindowOpened, {{QStringLiteral("source"), source}}, 30);
    ovelin::printLine(QStringLiteral("📍 Janela posicionada com base no cursor."));
}

void WindowManager::toggleWindow(const QString& source)
{
    if (!m_window)
        return;
    if (m_window->isVisible()) {
        m_window->hide();
        ovelin::printLine(QStringLiteral("🔴 Janela oculta"));
        return;
    }
    showAtCursor(source);
}

void WindowManager::showWindowAndActivate()
{
    if (!m_window)
        return;
    rememberActiveWindow();
    orderFrontAndActivate();
}

void WindowManager::resizeWindow(double height, bool persist)
{
    if (!m_window)
        return;
    const int h = sanitizedHeight(height);
    const QRect old = m_window->geometry();
    m_window->setGeometry(old.x(), old.y(), PanelGeometry::width, h);
    AppEnvironment& environment = AppEnvironment::shared();
    if (persist && environment.appearanceStyle() == AppearanceStyle::Modern)
        environment.setStoredWindowHeightRaw(h);
}

void WindowManager::hideApplication()
{
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        // The tray's icon is a top-level window of Qt's own on X11: hidden, it would leave the
        // tray for good.
        if (topLevel->isVisible() && !topLevel->inherits("QSystemTrayIconSys"))
            topLevel->hide();
    }
    if (m_frontmost && m_previousActiveWindow != 0)
        m_frontmost->activateWindow(m_previousActiveWindow);
}
