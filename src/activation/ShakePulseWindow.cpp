#include "ShakePulseWindow.h"

#include <QPainter>
#include <QRegion>
#include <QVariantAnimation>

ShakePulseWindow::ShakePulseWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                          Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint),
      m_fade(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(diameter, diameter);
    // Without a compositor the translucency is lost; the mask still keeps it a disc.
    setMask(QRegion(rect(), QRegion::Ellipse));

    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    m_fade->setDuration(fadeMilliseconds);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_opacity = value.toReal();
        update();
    });
    connect(m_fade, &QVariantAnimation::finished, this, &QWidget::hide);
}

void ShakePulseWindow::pulse(const QPoint& center)
{
    m_fade->stop();
    m_opacity = 1.0;
    move(center - QPoint(diameter / 2, diameter / 2));
    show();
    update();
    m_fade->start();
}

void ShakePulseWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    QColor blue(0, 122, 255); // the system blue
    blue.setAlphaF(0.25 * m_opacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawEllipse(rect());
}
