#pragma once

#include <functional>

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

/// Watches the panel window and every widget inside it (including widgets added later) for
/// the keys the panel answers, the Alt key that shows the quick-key digits, activation, and
/// pointer movement. Keys typed in other windows never pass through it.
class PanelKeyFilter : public QObject
{
    Q_OBJECT
public:
    struct Handlers
    {
        /// A key press in the panel; true when it was taken (it then goes no further).
        std::function<bool(const QKeyEvent&)> keyPressed;
        /// Whether the quick-key digits are to be shown (Alt held alone) or hidden.
        std::function<void(bool)> quickKeysShown;
        /// The panel window became active (true) or inactive (false).
        std::function<void(bool)> activeChanged;
        /// The pointer moved over one of the panel's widgets.
        std::function<void(QWidget*)> pointerMoved;
    };

    PanelKeyFilter(Handlers handlers, QObject* parent = nullptr);

    /// Watches `panel` and its present widgets; safe to call again (on every show).
    void watch(QWidget* panel);

    /// Alt+1 … Alt+9: the row index, or -1. Shift, Control or Super with it make another shortcut.
    static int quickKeyRow(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handlers m_handlers;
    QPointer<QWidget> m_panel;
};
