#pragma once

#include "core/AppEnvironment.h"
#include "preferences/PreferencesPage.h"

class QComboBox;
class QPushButton;

/// The panel style (classic or modern) and, in the modern style, the reset of the remembered
/// panel height. Also reports changes of the stored colour theme, whoever writes it.
class AppearancePreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    AppearancePreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    QComboBox* stylePicker() const { return m_stylePicker; }
    QWidget* panelSizeBlock() const { return m_panelSizeBlock; }
    QPushButton* resetHeightButton() const { return m_resetButton; }

    /// "modern" is the modern style; any other text, "Modern" included, is classic.
    static AppearanceStyle storedStyle();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseStyle(AppearanceStyle style);
    void showStoredStyle();
    void themeMayHaveChanged();

    QComboBox* m_stylePicker;
    QWidget* m_panelSizeBlock;
    QPushButton* m_resetButton;
    AppTheme m_theme;
    bool m_appeared = false;
};
