#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "core/PanelPresenter.h"

class FrontmostApplicationService;
class WindowSystem;

/// Knows the floating panel and places, shows, hides and resizes it. Every operation does nothing
/// while no panel is registered. Before the panel is shown, the window that was active is
/// remembered, so that `hideApplication()` can give it the focus back. GUI thread only.
class WindowManager : public QObject, public PanelPresenter
{
    Q_OBJECT
public:
    static WindowManager& shared();

    /// The desktop's services (not owned; none in tests that do not need them): which window is
    /// active and handing it the focus, and how top-level windows are shown.
    void setFrontmostApplicationService(FrontmostApplicationService* service) { m_frontmost = service; }
    void setWindowSystem(WindowSystem* windowSystem) { m_windowSystem = windowSystem; }
    /// Where the pointer is (global coordinates); QCursor::pos() unless a test replaces it.
    void setPointerSource(std::function<QPoint()> source);

    /// Remembers the panel (weakly) and prints its level.
    void registerWindow(QWidget* window);
    QWidget* window() const { return m_window; }

    /// Places the panel at the pointer and makes it the active window.
    void showAtCursor(const QString& source);
    /// Hides a visible panel, else shows it at the pointer.
    void toggleWindow(const QString& source) override;
    /// Orders the panel front and active where it stands.
    void showWindowAndActivate() override;
    /// New height (at least 360) keeping the top edge and the 400-point width; with `persist` in
    /// the modern style the height is stored.
    void resizeWindow(double height, bool persist);

    /// Hides every Ovelin window and gives the focus back to the window that was active before
    /// the panel was last shown.
    void hideApplication();
    /// The window remembered by the last showing (0 when none).
    quint64 previousActiveWindow() const { return m_previousActiveWindow; }

    /// A height the panel can take: non-finite values give the default height, and values are
    /// kept between the minimum height and what a window system can represent.
    static int sanitizedHeight(double height);

private:
    WindowManager() = default;
    void rememberActiveWindow();
    void orderFrontAndActivate();

    QPointer<QWidget> m_window;
    FrontmostApplicationService* m_frontmost = nullptr;
    WindowSystem* m_windowSystem = nullptr;
    std::function<QPoint()> m_pointerSource;
    quint64 m_previousActiveWindow = 0;
};
