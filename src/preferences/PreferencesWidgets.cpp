#include "preferences/PreferencesWidgets.h"

#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QToolButton>
#include <QVariantAnimation>

namespace PreferencesStyle {

QFont font(TextStyle style, const QFont& base)
{
    QFont result = base;
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (style) {
    case TextStyle::Body:
        break;
    case TextStyle::Title:
        result.setPointSizeF(size * 1.6);
        break;
    case TextStyle::Title2:
        result.setPointSizeF(size * 1.3);
        break;
    case TextStyle::Headline:
        result.setWeight(QFont::DemiBold);
        break;
    case TextStyle::Subheadline:
        result.setPointSizeF(size * 0.92);
        break;
    case TextStyle::Caption:
        result.setPointSizeF(size * 0.85);
        break;
    case TextStyle::Caption2:
        result.setPointSizeF(size * 0.78);
        break;
    }
    return result;
}

QFont medium(QFont font)
{
    font.setWeight(QFont::Medium);
    return font;
}

QFont semibold(QFont font)
{
    font.setWeight(QFont::DemiBold);
    return font;
}

QLabel* label(const QString& text, TextStyle style, bool secondary, QWidget* parent)
{
    auto* result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(font(style, result->font()));
    if (secondary) {
        result->setForegroundRole(QPalette::PlaceholderText);
        result->setWordWrap(true);
    }
    return result;
}

QLabel* titleLabel(const QString& text, TextStyle style)
{
    QLabel* result = label(text, style);
    result->setFont(semibold(result->font()));
    result->setAccessibleName(text);
    return result;
}

QLabel* captionLabel(const QString& text, TextStyle style)
{
    return label(text, style, true);
}

QFrame* divider(Qt::Orientation orientation)
{
    auto* line = new QFrame;
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QPixmap symbolPixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio)
{
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (renderer.isValid()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // Keep the drawing square and centred whatever its view box.
        QSizeF drawn = renderer.defaultSize();
        drawn.scale(pixels, pixels, Qt::KeepAspectRatio);
        renderer.render(&painter,
                        QRectF(QPointF((pixels - drawn.width()) / 2, (pixels - drawn.height()) / 2), drawn));
        if (color.isValid()) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(image.rect(), color);
        }
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

bool hasSymbol(const QString& name)
{
    return QFile::exists(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace PreferencesStyle

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent), m_knob(new QVariantAnimation(this))
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_knob->setDuration(120);
    m_knob->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_knob, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        m_knob->stop();
        if (!isVisible()) {
            m_progress = on ? 1.0 : 0.0;
            update();
            return;
        }
        m_knob->setStartValue(m_progress);
        m_knob->setEndValue(on ? 1.0 : 0.0);
        m_knob->start();
    });
}

QSize ToggleSwitch::sizeHint() const
{
    return {38, 22};
}

bool ToggleSwitch::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal progress =
        m_knob->state() == QAbstractAnimation::Running ? m_progress : (isChecked() ? 1.0 : 0.0);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;

    QColor off = palette().color(QPalette::Mid);
    QColor on = palette().color(QPalette::Highlight);
    QColor fill = QColor::fromRgbF(off.redF() + (on.redF() - off.redF()) * progress,
                                   off.greenF() + (on.greenF() - off.greenF()) * progress,
                                   off.blueF() + (on.blueF() - off.blueF()) * progress);
    if (!isEnabled())
        fill.setAlphaF(0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 4;
    const qreal x = track.left() + 2 + (track.width() - knobSize - 4) * progress;
    painter.setBrush(QColor(255, 255, 255));
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(QRectF(x, track.top() + 2, knobSize, knobSize));

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
    }
}

Stepper::Stepper(QWidget* parent)
    : QWidget(parent), m_decrement(new QToolButton(this)), m_increment(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_decrement->setText(QStringLiteral("\u2212"));
    m_increment->setText(QStringLiteral("+"));
    for (QToolButton* button : {m_decrement, m_increment}) {
        button->setFixedSize(24, 22);
        button->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(button);
    }
    connect(m_decrement, &QToolButton::clicked, this, &Stepper::decremented);
    connect(m_increment, &QToolButton::clicked, this, &Stepper::incremented);
}

void Stepper::setOpenDirections(bool canDecrement, bool canIncrement)
{
    m_decrement->setEnabled(canDecrement);
    m_increment->setEnabled(canIncrement);
}
