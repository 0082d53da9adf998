#include "panel/PanelKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>

PanelKeyFilter::PanelKeyFilter(Handlers handlers, QObject* parent) : QObject(parent), m_handlers(std::move(handlers))
{
}

void PanelKeyFilter::watch(QWidget* panel)
{
    // Installing twice on one object keeps a single entry, so a repeated watch costs nothing.
    m_panel = panel;
    panel->installEventFilter(this);
    const QList<QWidget*> children = panel->findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

int PanelKeyFilter::quickKeyRow(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held != Qt::AltModifier || event.key() < Qt::Key_1 || event.key() > Qt::Key_9)
        return -1;
    return event.key() - Qt::Key_1;
}

bool PanelKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !m_panel || widget->window() != m_panel)
        return false;
    switch (event->type()) {
    case QEvent::ChildPolished:
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            child->installEventFilter(this);
            const QList<QWidget*> descendants = child->findChildren<QWidget*>();
            for (QWidget* descendant : descendants)
                descendant->installEventFilter(this);
        }
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (widget == m_panel && m_handlers.activeChanged)
            m_handlers.activeChanged(event->type() == QEvent::WindowActivate);
        break;
    case QEvent::KeyRelease: {
        // The digits show while Alt alone is held; a release that leaves Alt up hides them.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Alt || !(key->modifiers() & Qt::AltModifier))
            m_handlers.quickKeysShown(false);
        break;
    }
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseMove:
        if (m_handlers.pointerMoved)
            m_handlers.pointerMoved(widget);
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Alt)
            m_handlers.quickKeysShown(key->modifiers() == Qt::AltModifier || key->modifiers() == Qt::NoModifier);
        else if (quickKeyRow(*key) < 0)
            m_handlers.quickKeysShown(false);
        return m_handlers.keyPressed(*key);
    }
    default:
        break;
    }
    return false;
}
