#include "panel/CustomPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

CustomPanel::CustomPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Ovelin"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);
}

CustomPanel::~CustomPanel()
{
    qApp->removeEventFilter(this);
}

int CustomPanel::level() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? floatingLevel : 0;
}

void CustomPanel::setCornerRadius(int radius, bool useShapeMask)
{
    m_cornerRadius = radius;
    m_useShapeMask = useShapeMask;
    updateShapeMask();
}

bool CustomPanel::isSwallowedKeyEquivalent(int key, Qt::KeyboardModifiers modifiers)
{
    if (!modifiers.testFlag(Qt::MetaModifier))
        return false;
    switch (key) {
    // The list's own keys reach it whatever else is held, and the Super key alone is no command.
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return false;
    default:
        return true;
    }
}

bool CustomPanel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        Q_EMIT resignedKey();
    return QWidget::event(event);
}

bool CustomPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (widget && widget->window() == this && isSwallowedKeyEquivalent(key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CustomPanel::mousePressEvent(QMouseEvent* event)
{
    // Presses that no child took land here: the background.
    if (m_movableByBackground && event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CustomPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateShapeMask();
    Q_EMIT resized();
}

void CustomPanel::updateShapeMask()
{
    if (!m_useShapeMask || m_cornerRadius <= 0) {
        clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}
