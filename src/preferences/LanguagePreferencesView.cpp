#include "preferences/LanguagePreferencesView.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/AppEnvironment.h"
#include "core/Settings.h"
#include "preferences/PreferencesWidgets.h"

using namespace PreferencesStyle;

namespace {
QString languageKey()
{
    return QString(SettingsKey::selectedLanguage);
}
} // namespace

QString rawValue(AppLanguage language)
{
    switch (language) {
    case AppLanguage::English:
        return QStringLiteral("en");
    case AppLanguage::Portuguese:
        return QStringLiteral("pt");
    case AppLanguage::System:
        break;
    }
    return QStringLiteral("system");
}

QString labelKey(AppLanguage language)
{
    switch (language) {
    case AppLanguage::English:
        return QStringLiteral("language_option_english");
    case AppLanguage::Portuguese:
        return QStringLiteral("language_option_portuguese");
    case AppLanguage::System:
        break;
    }
    return QStringLiteral("language_option_system");
}

AppLanguage appLanguageFromRaw(const QString& text)
{
    for (AppLanguage language : allAppLanguages()) {
        if (rawValue(language) == text)
            return language;
    }
    return AppLanguage::System;
}

QList<AppLanguage> allAppLanguages()
{
    return {AppLanguage::System, AppLanguage::English, AppLanguage::Portuguese};
}

LanguagePreferencesView::LanguagePreferencesView(const PreferencesServices& services, QWidget* parent)
    : PreferencesPage(services, parent)
{
    column()->addWidget(titleLabel(qtTrId("preferences_language_title")));

    m_picker = new QComboBox;
    m_picker->setFixedWidth(300);
    for (AppLanguage language : allAppLanguages())
        m_picker->addItem(qtTrId(labelKey(language).toUtf8().constData()), rawValue(language));
    m_picker->setAccessibleName(qtTrId("preferences_language_picker_label"));
    column()->addWidget(label(qtTrId("preferences_language_picker_label")));
    column()->addWidget(m_picker);
    showStoredLanguage();
    connect(m_picker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            chooseLanguage(allAppLanguages().value(index));
    });
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == languageKey())
            showStoredLanguage();
    });

    column()->addWidget(captionLabel(qtTrId("preferences_language_note")));
    column()->addStretch(1);
}

void LanguagePreferencesView::chooseLanguage(AppLanguage language)
{
    const QString raw = rawValue(language);
    Settings::shared().setValue(languageKey(), raw);
    AppEnvironment::shared().setLanguage(raw);
    sendSettingsChanged({{QStringLiteral("settingKey"), QStringLiteral("language")},
                         {QStringLiteral("settingGroup"), QStringLiteral("language")},
                         {QStringLiteral("value"), raw}});
}

void LanguagePreferencesView::showStoredLanguage()
{
    const QSignalBlocker quiet(m_picker);
    m_picker->setCurrentIndex(
        int(allAppLanguages().indexOf(appLanguageFromRaw(Settings::shared().stringValue(languageKey())))));
}
