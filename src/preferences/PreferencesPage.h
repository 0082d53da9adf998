#pragma once

#include <QWidget>

#include "preferences/PreferencesServices.h"

class QBoxLayout;
class QVBoxLayout;

/// The common frame of a preferences page: a column aligned to the leading edge, filling the
/// width, with the services the page reports to.
class PreferencesPage : public QWidget
{
    Q_OBJECT
public:
    PreferencesPage(const PreferencesServices& services, QWidget* parent);

protected:
    QVBoxLayout* column() const { return m_column; }
    const PreferencesServices& services() const { return m_services; }
    /// Sends "SettingsChanged" with these parameters.
    void sendSettingsChanged(const SignalParameters& parameters) const;
    /// Adds a row: `label` on the leading edge and `control` after it (pushed to the trailing
    /// edge when `trailing`).
    QBoxLayout* addRow(QWidget* label, QWidget* control, bool trailing = true, QBoxLayout* into = nullptr);

private:
    PreferencesServices m_services;
    QVBoxLayout* m_column;
};
