#pragma once

#include <functional>

#include <QWidget>

class QVariantAnimation;

/// The modern style's resize strip along the panel's bottom edge: transparent, 56 points
/// high, with a capsule grip that shows while the pointer is over the strip. Dragging in it
/// reports the vertical translation (positive downwards) since the press.
class ResizeHandlesOverlay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int stripHeight = 56;
    static constexpr QSize handleSize{140, 6};

    explicit ResizeHandlesOverlay(QWidget* parent = nullptr);

    std::function<void(qreal)> onDragChanged;
    std::function<void(qreal)> onDragEnded;
    /// Wheel turns over the strip scroll this widget instead.
    void setWheelTarget(QWidget* target) { m_wheelTarget = target; }

    bool isHovering() const { return m_hovering; }
    /// Follows the pointer when another strip lies over this one and takes its events.
    void followPointer(const QPoint& globalPos);
    qreal gripOpacity() const { return m_gripOpacity; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);

    bool m_hovering = false;
    bool m_dragging = false;
    qreal m_pressY = 0;
    qreal m_gripOpacity = 0;
    QVariantAnimation* m_fade;
    QWidget* m_wheelTarget = nullptr;
};
