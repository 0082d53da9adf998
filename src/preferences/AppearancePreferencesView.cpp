#include "preferences/AppearancePreferencesView.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "preferences/PreferencesWidgets.h"

using namespace PreferencesStyle;

namespace {

QString styleKey()
{
    return QString(SettingsKey::appearanceStyle);
}
QString themeKey()
{
    return QString(SettingsKey::selectedAppTheme);
}

AppTheme storedTheme()
{
    const QString text = Settings::shared().stringValue(themeKey());
    return text == u"Light" ? AppTheme::Light : text == u"Dark" ? AppTheme::Dark : AppTheme::System;
}

} // namespace

AppearanceStyle AppearancePreferencesView::storedStyle()
{
    return Settings::shared().stringValue(styleKey()) == u"modern" ? AppearanceStyle::Modern
                                                                   : AppearanceStyle::Classic;
}

AppearancePreferencesView::AppearancePreferencesView(const PreferencesServices& services, QWidget* parent)
    : PreferencesPage(services, parent), m_theme(storedTheme())
{
    column()->addWidget(titleLabel(qtTrId("preferences_appearance_title")));

    m_stylePicker = new QComboBox;
    m_stylePicker->setFixedWidth(240);
    m_stylePicker->addItem(qtTrId("appearance_option_classic"), rawValue(AppearanceStyle::Classic));
    m_stylePicker->addItem(qtTrId("appearance_option_modern"), rawValue(AppearanceStyle::Modern));
    m_stylePicker->setAccessibleName(qtTrId("appearance_style_picker_label"));
    QLabel* styleLabel = label(qtTrId("appearance_style_picker_label"));
    styleLabel->setFont(medium(styleLabel->font()));
    addRow(styleLabel, m_stylePicker, false);
    showStoredStyle();
    connect(m_stylePicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        chooseStyle(index == 1 ? AppearanceStyle::Modern : AppearanceStyle::Classic);
    });
    column()->addWidget(captionLabel(qtTrId("appearance_style_description")));

    m_panelSizeBlock = new QWidget;
    auto* block = new QVBoxLayout(m_panelSizeBlock);
    block->setContentsMargins(0, 8, 0, 0);
    block->setSpacing(6);
    QLabel* sizeTitle = label(qtTrId("appearance_window_size_title"));
    sizeTitle->setFont(medium(sizeTitle->font()));
    block->addWidget(sizeTitle);
    block->addWidget(captionLabel(qtTrId("appearance_window_size_description")));
    m_resetButton = new QPushButton(qtTrId("appearance_window_size_reset_button"));
    m_resetButton->setToolTip(qtTrId("appearance_window_size_reset_help"));
    m_resetButton->setAutoDefault(false);
    m_resetButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_resetButton, &QPushButton::clicked, this, [] { AppEnvironment::shared().resetWindowHeight(); });
    block->addWidget(m_resetButton);
    column()->addWidget(m_panelSizeBlock);

    auto followStyle = [this] {
        m_panelSizeBlock->setVisible(AppEnvironment::shared().appearanceStyle() == AppearanceStyle::Modern);
    };
    followStyle();
    connect(&AppEnvironment::shared(), &AppEnvironment::appearanceStyleChanged, this, followStyle);
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == styleKey())
            showStoredStyle();
        else if (key == themeKey())
            themeMayHaveChanged();
    });

    column()->addStretch(1);
}

void AppearancePreferencesView::showEvent(QShowEvent* event)
{
    PreferencesPage::showEvent(event);
    if (m_appeared)
        return;
    // Opening the page brings the environment in line with the stored text.
    m_appeared = true;
    AppEnvironment::shared().setAppearanceStyle(storedStyle());
}

void AppearancePreferencesView::chooseStyle(AppearanceStyle style)
{
    Settings::shared().setValue(styleKey(), rawValue(style));
    AppEnvironment::shared().setAppearanceStyle(style);
    sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("appearanceStyle")},
                         {QStringLiteral("settingGroup"), QStringLiteral("appearance")}});
}

void AppearancePreferencesView::showStoredStyle()
{
    const QSignalBlocker quiet(m_stylePicker);
    m_stylePicker->setCurrentIndex(storedStyle() == AppearanceStyle::Modern ? 1 : 0);
}

void AppearancePreferencesView::themeMayHaveChanged()
{
    const AppTheme theme = storedTheme();
    if (theme == m_theme)
        return;
    m_theme = theme;
    sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("theme")},
                         {QStringLiteral("settingGroup"), QStringLiteral("appearance")},
                         {QStringLiteral("value"), rawValue(theme)}});
}
