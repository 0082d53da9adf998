#pragma once

#include "preferences/PreferencesPage.h"

class QLabel;
class QPushButton;

/// Whether Ovelin can send the paste keystroke (XTEST) and watch global input (XInput 2 outside
/// Wayland). Read when the page is built; a missing capability offers its help page.
class PermissionsPreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    PermissionsPreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    struct Block
    {
        bool granted = false;
        QLabel* symbol = nullptr;
        QPushButton* requestButton = nullptr; // none when granted
    };
    const Block& accessibility() const { return m_accessibility; }
    const Block& inputMonitoring() const { return m_inputMonitoring; }

private:
    Block addBlock(bool granted, const QString& title, const QString& description,
                   std::function<void()> open);

    Block m_accessibility;
    Block m_inputMonitoring;
};
