#pragma once

#include <optional>

#include <QPoint>
#include <QWidget>

class CustomPanel;

/// The transparent strip along the modern panel's bottom edge: dragging it changes the panel's
/// height (through WindowManager::resizeWindow, which stores it), with the up-down cursor while
/// the pointer is over it.
class ResizeHandleView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int stripHeight = 56;

    explicit ResizeHandleView(QWidget* parent = nullptr);

    std::optional<QPoint> initialLocation() const { return m_initialLocation; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CustomPanel* panel() const;

    std::optional<QPoint> m_initialLocation;
    std::optional<bool> m_previousMovableByBackground;
    // The drag works in global coordinates: the window manager applies each new height a little
    // later, so positions relative to the (moving) strip would count some movement twice.
    int m_pressGlobalY = 0;
    int m_pressHeight = 0;
    bool m_dragging = false;
};
