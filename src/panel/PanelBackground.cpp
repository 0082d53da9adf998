#include "panel/PanelBackground.h"

#include <QPainter>
#include <QPainterPath>

PanelBackground::PanelBackground(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void PanelBackground::setCornerRadius(int radius)
{
    m_cornerRadius = radius;
    update();
}

void PanelBackground::setTranslucent(bool translucent)
{
    m_translucent = translucent;
    update();
}

void PanelBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), m_cornerRadius, m_paletteSource ? m_paletteSource->palette() : palette(), m_translucent);
}

void PanelBackground::paint(QPainter& painter, const QRect& rect, int cornerRadius, const QPalette& colours,
                            bool translucent)
{
    QColor fill = colours.color(QPalette::Window);
    fill.setAlphaF(translucent ? 0.94f : 1.0f);
    QColor border = colours.color(QPalette::WindowText);
    border.setAlphaF(0.14f);

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(outline, fill);
    painter.setPen(QPen(border, 1.0));
    painter.drawPath(outline);
}

PanelContainer::PanelContainer(QWidget* background, QWidget* bottomStrip, int stripHeight, QWidget* parent)
    : QWidget(parent), m_background(background), m_bottomStrip(bottomStrip), m_stripHeight(stripHeight)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    background->setParent(this);
    bottomStrip->setParent(this);
    bottomStrip->raise();
}

void PanelContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_background)
        m_background->setGeometry(rect());
    if (m_bottomStrip)
        m_bottomStrip->setGeometry(0, height() - m_stripHeight, width(), m_stripHeight);
}
