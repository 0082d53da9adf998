#include "panel/ResizeHandleView.h"

#include <QMouseEvent>

#include "panel/CustomPanel.h"
#include "panel/WindowManager.h"

ResizeHandleView::ResizeHandleView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

CustomPanel* ResizeHandleView::panel() const
{
    return qobject_cast<CustomPanel*>(window());
}

void ResizeHandleView::enterEvent(QEnterEvent* event)
{
    setCursor(Qt::SizeVerCursor);
    QWidget::enterEvent(event);
}

void ResizeHandleView::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(event);
}

void ResizeHandleView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (CustomPanel* p = panel()) {
        m_previousMovableByBackground = p->isMovableByWindowBackground();
        p->setMovableByWindowBackground(false);
        m_pressHeight = p->height();
    }
    m_initialLocation = event->position().toPoint();
    m_pressGlobalY = qRound(event->globalPosition().y());
    m_dragging = true;
    event->accept();
}

void ResizeHandleView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !m_initialLocation || !(event->buttons() & Qt::LeftButton) || !panel()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const int delta = qRound(event->globalPosition().y()) - m_pressGlobalY; // positive downwards
    WindowManager::shared().resizeWindow(m_pressHeight + delta, true);
    if (delta != 0)
        setCursor(Qt::SizeVerCursor);
    event->accept();
}

void ResizeHandleView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_previousMovableByBackground) {
        if (CustomPanel* p = panel())
            p->setMovableByWindowBackground(*m_previousMovableByBackground);
    }
    m_previousMovableByBackground.reset();
    m_dragging = false;
    setCursor(Qt::ArrowCursor);
    event->accept();
}
