#pragma once

#include <functional>

#include <QList>
#include <QString>

class QWidget;

/// One modal question or notice: a title, a message and its buttons.
struct Alert
{
    enum class Icon
    {
        Information,
        Warning,
        Critical
    };
    enum class Role
    {
        Cancel,
        Destructive,
        Default
    };
    struct Button
    {
        QString text;
        Role role = Role::Default;
    };

    QString title;
    QString message;
    Icon icon = Icon::Information;
    QList<Button> buttons;
};

/// Shows alerts window-modally and reports the chosen button without blocking the caller.
/// The dialogs in production are QMessageBoxes; tests answer them with a scripted presenter.
class AlertPresenter
{
public:
    /// The index of the chosen button in `Alert::buttons`; a dismissed alert (Escape, the close
    /// button) reports its cancel button, or -1 when it has none.
    using Answer = std::function<void(int)>;

    virtual ~AlertPresenter() = default;
    virtual void present(QWidget* parent, const Alert& alert, Answer answer = {}) = 0;
};

/// The production presenter: a window-modal QMessageBox that deletes itself when answered.
class MessageBoxAlertPresenter : public AlertPresenter
{
public:
    void present(QWidget* parent, const Alert& alert, Answer answer = {}) override;
};
