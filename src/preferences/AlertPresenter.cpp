#include "preferences/AlertPresenter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon messageBoxIcon(Alert::Icon icon)
{
    switch (icon) {
    case Alert::Icon::Warning:
        return QMessageBox::Warning;
    case Alert::Icon::Critical:
        return QMessageBox::Critical;
    case Alert::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

QMessageBox::ButtonRole buttonRole(Alert::Role role)
{
    switch (role) {
    case Alert::Role::Cancel:
        return QMessageBox::RejectRole;
    case Alert::Role::Destructive:
        return QMessageBox::DestructiveRole;
    case Alert::Role::Default:
        break;
    }
    return QMessageBox::AcceptRole;
}

} // namespace

void MessageBoxAlertPresenter::present(QWidget* parent, const Alert& alert, Answer answer)
{
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(messageBoxIcon(alert.icon));
    box->setWindowTitle(alert.title);
    box->setText(alert.title);
    box->setInformativeText(alert.message);
    box->setTextFormat(Qt::PlainText);

    QList<QAbstractButton*> buttons;
    int cancelIndex = -1;
    for (int i = 0; i < alert.buttons.size(); ++i) {
        const Alert::Button& button = alert.buttons.at(i);
        buttons.append(static_cast<QAbstractButton*>(box->addButton(button.text, buttonRole(button.role))));
        if (button.role == Alert::Role::Cancel) {
            cancelIndex = i;
            box->setEscapeButton(buttons.last());
        }
    }

    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, cancelIndex, answer] {
        const int index = int(buttons.indexOf(box->clickedButton()));
        if (answer)
            answer(index >= 0 ? index : cancelIndex);
    });
    box->open();
}
