#include "preferences/PreferencesPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PreferencesPage::PreferencesPage(const PreferencesServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(10);
}

void PreferencesPage::sendSettingsChanged(const SignalParameters& parameters) const
{
    m_services.send(AppSignal::SettingsChanged, parameters);
}

QBoxLayout* PreferencesPage::addRow(QWidget* label, QWidget* control, bool trailing, QBoxLayout* into)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(label);
    // A control without a visible label of its own is named by the row's label.
    if (auto* text = qobject_cast<QLabel*>(label); text && control->accessibleName().isEmpty())
        control->setAccessibleName(text->text());
    if (trailing)
        row->addStretch(1);
    row->addWidget(control);
    if (!trailing)
        row->addStretch(1);
    (into ? into : m_column)->addLayout(row);
    return row;
}
