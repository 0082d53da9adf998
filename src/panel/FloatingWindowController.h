#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "core/AppEnvironment.h"

class CustomPanel;
class PanelBackground;
class ResizeHandleView;
class WindowSystem;

/// Builds the floating panel around a root view, follows the panel style (classic: fixed
/// 400 x 600, corner radius 16; modern: adjustable height, radius 26, resize strip) and hides the
/// panel when it stops being the active window. Created once at start-up; shows the panel.
class FloatingWindowController : public QObject
{
    Q_OBJECT
public:
    static constexpr int classicCornerRadius = 16;
    static constexpr int modernCornerRadius = 26;

    /// Takes `rootView` into the panel. `windowSystem` (may be null) tells whether translucent
    /// corners need a shape mask.
    explicit FloatingWindowController(QWidget* rootView, WindowSystem* windowSystem = nullptr,
                                      QObject* parent = nullptr);
    ~FloatingWindowController() override;

    CustomPanel* window() const;
    ResizeHandleView* resizeHandle() const;
    int cornerRadius() const;

    void applyAppearanceStyle(AppearanceStyle style);
    /// Orders the panel front and active where it stands, without moving it.
    void showWindow();

private:
    void followAppearanceStyle();
    void liveResizeEnded();

    std::unique_ptr<CustomPanel> m_panel;
    QPointer<PanelBackground> m_background;
    QPointer<ResizeHandleView> m_resizeHandle;
    QTimer m_liveResizeTimer;
    bool m_useShapeMask = false;
};
