#pragma once

#include "preferences/PreferencesPage.h"

class QComboBox;
class QLabel;
class ShortcutFieldView;
class ToggleSwitch;

/// Launch at login, rich-text pasting, the click sound, the shake gesture and its modifier, and
/// the global shortcut. Every control writes its key at once and sends "SettingsChanged" (the
/// key and group only, never the value).
class GeneralPreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    GeneralPreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    ToggleSwitch* launchAtLoginSwitch() const { return m_launchAtLogin; }
    ToggleSwitch* richTextSwitch() const { return m_richText; }
    ToggleSwitch* clickSoundSwitch() const { return m_clickSound; }
    ToggleSwitch* shakeSwitch() const { return m_shake; }
    /// Why the shake cannot work in this session; none where it can.
    QLabel* shakeUnavailableReason() const { return m_shakeUnavailable; }
    QWidget* shakeModifierBlock() const { return m_modifierBlock; }
    QComboBox* shakeModifierPicker() const { return m_modifierPicker; }
    ShortcutFieldView* shortcutField() const { return m_shortcutField; }

private:
    ToggleSwitch* boundSwitch(const QString& key, std::function<void(bool)> reaction);
    void launchAtLoginChanged(bool enabled);
    void showStoredModifier();

    ToggleSwitch* m_launchAtLogin;
    ToggleSwitch* m_richText;
    ToggleSwitch* m_clickSound;
    ToggleSwitch* m_shake;
    QLabel* m_shakeUnavailable = nullptr;
    QWidget* m_modifierBlock;
    QComboBox* m_modifierPicker;
    ShortcutFieldView* m_shortcutField;
};
