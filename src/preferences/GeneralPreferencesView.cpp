#include "preferences/GeneralPreferencesView.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "common/Console.h"
#include "core/Settings.h"
#include "platform/CapabilityService.h"
#include "platform/LoginItemService.h"
#include "preferences/AlertPresenter.h"
#include "preferences/PreferencesWidgets.h"
#include "preferences/ShortcutFieldView.h"

using namespace PreferencesStyle;

namespace {

SignalParameters generalChange(const QString& settingKey)
{
    return {{QStringLiteral("settingKey"), settingKey},
            {QStringLiteral("settingGroup"), QStringLiteral("general")}};
}

} // namespace

GeneralPreferencesView::GeneralPreferencesView(const PreferencesServices& services, QWidget* parent)
    : PreferencesPage(services, parent)
{
    column()->addWidget(titleLabel(qtTrId("preferences_general_title")));

    m_launchAtLogin = boundSwitch(QString(SettingsKey::launchAtLogin),
                                  [this](bool enabled) { launchAtLoginChanged(enabled); });
    addRow(label(qtTrId("preferences_launch_at_login")), m_launchAtLogin);

    m_richText = boundSwitch(QString(SettingsKey::useRichTextPaste), [this](bool) {
        sendSettingsChanged(generalChange(QStringLiteral("useRichTextPaste")));
    });
    addRow(label(qtTrId("preferences_rich_text_label")), m_richText);
    column()->addWidget(captionLabel(qtTrId("preferences_rich_text_description")));

    m_clickSound = boundSwitch(QString(SettingsKey::playClickSound), [this](bool) {
        sendSettingsChanged(generalChange(QStringLiteral("playClickSound")));
    });
    addRow(label(qtTrId("preferences_click_sound")), m_clickSound);

    column()->addWidget(divider());

    m_shake = boundSwitch(QString(SettingsKey::enableShakeGesture), [this](bool enabled) {
        m_modifierBlock->setVisible(enabled);
        if (enabled)
            showStoredModifier();
        sendSettingsChanged(generalChange(QStringLiteral("shakeGesture")));
    });
    addRow(label(qtTrId("shake_to_open")), m_shake);

    m_modifierBlock = new QWidget;
    auto* modifierColumn = new QVBoxLayout(m_modifierBlock);
    modifierColumn->setContentsMargins(0, 0, 0, 0);
    modifierColumn->setSpacing(4);
    m_modifierPicker = new QComboBox;
    m_modifierPicker->addItem(qtTrId("modifier_shift"), QStringLiteral("shift"));
    m_modifierPicker->addItem(qtTrId("modifier_command"), QStringLiteral("command"));
    m_modifierPicker->addItem(qtTrId("modifier_option"), QStringLiteral("option"));
    m_modifierPicker->setAccessibleName(qtTrId("shake_modifier_label"));
    addRow(label(qtTrId("shake_modifier_label")), m_modifierPicker, true, modifierColumn);
    modifierColumn->addWidget(captionLabel(qtTrId("shake_modifier_description")));
    column()->addWidget(m_modifierBlock);
    showStoredModifier();
    m_modifierBlock->setVisible(m_shake->isChecked());
    if (services.capabilities && !services.capabilities->offersGlobalPointer()) {
        // The stored choice is kept for a session where the shake works; here it is shown off.
        const QSignalBlocker quiet(m_shake);
        m_shake->setChecked(false);
        m_shake->setEnabled(false);
        m_modifierBlock->setVisible(false);
        m_shakeUnavailable = captionLabel(qtTrId("shake_unavailable_description"));
        column()->addWidget(m_shakeUnavailable);
    }
    connect(m_modifierPicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        Settings::shared().setValue(QString(SettingsKey::selectedShakeModifier),
                                    m_modifierPicker->itemData(index));
        sendSettingsChanged(generalChange(QStringLiteral("shakeModifier")));
    });
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == QString(SettingsKey::selectedShakeModifier))
            showStoredModifier();
    });

    column()->addWidget(divider());

    m_shortcutField = new ShortcutFieldView(nullptr, services.registerShortcut);
    addRow(label(qtTrId("preferences_shortcut_label")), m_shortcutField, false);
    connect(m_shortcutField, &ShortcutFieldView::recordedShortcutChanged, this,
            [this] { sendSettingsChanged(generalChange(QStringLiteral("shortcut"))); });
    column()->addWidget(captionLabel(qtTrId("preferences_shortcut_description")));
    column()->addWidget(captionLabel(qtTrId("preferences_shortcut_warning"), TextStyle::Caption2));

    column()->addStretch(1);
}

ToggleSwitch* GeneralPreferencesView::boundSwitch(const QString& key, std::function<void(bool)> reaction)
{
    auto* control = new ToggleSwitch;
    control->setChecked(Settings::shared().boolValue(key));
    connect(control, &ToggleSwitch::toggled, this, [key, reaction](bool on) {
        if (Settings::shared().boolValue(key) == on)
            return;
        Settings::shared().setValue(key, on);
        reaction(on);
    });
    // Follow writes made elsewhere without reacting to them.
    connect(&Settings::shared(), &Settings::valueChanged, control, [key, control](const QString& changed) {
        // A switch made unavailable shows off whatever is stored.
        if (changed != key || !control->isEnabled())
            return;
        const QSignalBlocker quiet(control);
        control->setChecked(Settings::shared().boolValue(key));
    });
    return control;
}

void GeneralPreferencesView::launchAtLoginChanged(bool enabled)
{
    LoginItemService* loginItems = services().loginItems;
    QString error;
    bool ok = false;
    if (loginItems)
        ok = enabled ? loginItems->registerItem(&error) : loginItems->unregisterItem(&error);
    else
        error = QStringLiteral("no login item service");

    if (ok) {
        ovelin::printLine(enabled ? QStringLiteral("✅ App registrado para iniciar com o sistema")
                                  : QStringLiteral("🛑 App removido do login automático"));
    } else {
        // The switch keeps the user's choice; the stored wish stays as set.
        ovelin::printLine(QStringLiteral("🚫 Erro ao configurar login automático: ") + error);
        if (services().alerts) {
            Alert alert;
            alert.title = qtTrId("launch_error_title");
            alert.message = qtTrId("launch_error_message");
            alert.icon = Alert::Icon::Warning;
            alert.buttons = {{qtTrId("ok_button_label"), Alert::Role::Cancel}};
            services().alerts->present(window(), alert);
        }
    }
    sendSettingsChanged(generalChange(QStringLiteral("launchAtLogin")));
}

void GeneralPreferencesView::showStoredModifier()
{
    const QSignalBlocker quiet(m_modifierPicker);
    m_modifierPicker->setCurrentIndex(m_modifierPicker->findData(
        Settings::shared().stringValue(QString(SettingsKey::selectedShakeModifier))));
}
