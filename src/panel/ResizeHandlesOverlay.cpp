#include "panel/ResizeHandlesOverlay.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <QWheelEvent>

ResizeHandlesOverlay::ResizeHandlesOverlay(QWidget* parent)
    : QWidget(parent), m_fade(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("resizeStrip"));
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::SizeVerCursor);
    setFixedHeight(stripHeight);
    m_fade->setDuration(180);
    m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_gripOpacity = value.toReal();
        update();
    });
    setAccessibleName(qtTrId("resize_window_accessibility_label"));
}

void ResizeHandlesOverlay::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_fade->stop();
    m_fade->setStartValue(m_gripOpacity);
    m_fade->setEndValue(hovering ? 1.0 : 0.0);
    m_fade->start();
}

void ResizeHandlesOverlay::followPointer(const QPoint& globalPos)
{
    if (!m_dragging && isVisible())
        setHovering(rect().contains(mapFromGlobal(globalPos)));
}

void ResizeHandlesOverlay::paintEvent(QPaintEvent*)
{
    if (m_gripOpacity <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_gripOpacity);
    const QRectF grip(width() / 2.0 - handleSize.width() / 2.0, height() - 8 - handleSize.height(),
                      handleSize.width(), handleSize.height());
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    QLinearGradient gradient(grip.topLeft(), grip.bottomLeft());
    gradient.setColorAt(0, dark ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 90));
    gradient.setColorAt(1, dark ? QColor(255, 255, 255, 90) : QColor(0, 0, 0, 140));
    painter.setPen(QPen(dark ? QColor(255, 255, 255, 60) : QColor(255, 255, 255, 160), 0.5));
    painter.setBrush(gradient);
    painter.drawRoundedRect(grip, grip.height() / 2, grip.height() / 2);
}

void ResizeHandlesOverlay::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void ResizeHandlesOverlay::leaveEvent(QEvent* event)
{
    if (!m_dragging)
        setHovering(false);
    QWidget::leaveEvent(event);
}

void ResizeHandlesOverlay::mousePressEvent(QMouseEvent* event)
{
    // Accepting the press keeps it from reaching the window, so the drag resizes the panel
    // instead of moving it.
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_pressY = event->globalPosition().y();
    event->accept();
    if (onDragChanged)
        onDragChanged(0);
}

void ResizeHandlesOverlay::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && onDragChanged)
        onDragChanged(event->globalPosition().y() - m_pressY);
    event->accept();
}

void ResizeHandlesOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (onDragEnded)
        onDragEnded(event->globalPosition().y() - m_pressY);
    if (!rect().contains(event->position().toPoint()))
        setHovering(false);
    event->accept();
}

void ResizeHandlesOverlay::wheelEvent(QWheelEvent* event)
{
    if (m_wheelTarget)
        QCoreApplication::sendEvent(m_wheelTarget, event);
    else
        event->ignore();
}

void ResizeHandlesOverlay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        setAccessibleName(qtTrId("resize_window_accessibility_label"));
    QWidget::changeEvent(event);
}
