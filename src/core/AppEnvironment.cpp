#include "core/AppEnvironment.h"

#include "core/Settings.h"

namespace {

std::optional<QLocale>& systemLocaleOverride()
{
    static std::optional<QLocale> locale;
    return locale;
}

QLocale systemLocale()
{
    return systemLocaleOverride().value_or(QLocale::system());
}

} // namespace

QString rawValue(AppearanceStyle style)
{
    return style == AppearanceStyle::Modern ? QStringLiteral("modern") : QStringLiteral("classic");
}

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::Light:
        return QStringLiteral("Light");
    case AppTheme::Dark:
        return QStringLiteral("Dark");
    case AppTheme::System:
        break;
    }
    return QStringLiteral("System");
}

AppEnvironment& AppEnvironment::shared()
{
    static AppEnvironment instance;
    return instance;
}

AppEnvironment::AppEnvironment()
{
    reload();
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& changedKey) {
        if (changedKey == SettingsKey::enableShakeGesture ||
            changedKey == SettingsKey::selectedShakeModifier) {
            Q_EMIT shakeSettingsChanged();
            Q_EMIT changed();
        } else if (changedKey == SettingsKey::windowHeight) {
            Q_EMIT storedWindowHeightChanged();
            Q_EMIT changed();
        }
    });
}

void AppEnvironment::reload()
{
    Settings& settings = Settings::shared();
    m_appearanceStyle = settings.stringValue(SettingsKey::appearanceStyle) == u"modern"
                            ? AppearanceStyle::Modern
                            : AppearanceStyle::Classic;

    const QString theme = settings.stringValue(SettingsKey::selectedAppTheme);
    m_selectedTheme = theme == u"Light"  ? AppTheme::Light
                      : theme == u"Dark" ? AppTheme::Dark
                                         : AppTheme::System;

    const QString language = settings.stringValue(SettingsKey::selectedLanguage);
    // An empty text (or one the settings could not read as text) is no language choice.
    if (!language.isEmpty() && language != u"system")
        m_selectedLanguage = language;
    else
        m_selectedLanguage =
            systemLocale().name().contains(u"pt") ? QStringLiteral("pt") : QStringLiteral("en");
}

void AppEnvironment::setSystemLocaleForTesting(std::optional<QLocale> locale)
{
    systemLocaleOverride() = std::move(locale);
}

bool AppEnvironment::enableShakeGesture() const
{
    return Settings::shared().boolValue(SettingsKey::enableShakeGesture);
}

QString AppEnvironment::selectedShakeModifier() const
{
    return Settings::shared().stringValue(SettingsKey::selectedShakeModifier);
}

void AppEnvironment::setSelectedShakeModifier(const QString& modifier)
{
    Settings::shared().setValue(SettingsKey::selectedShakeModifier, modifier);
}

double AppEnvironment::storedWindowHeightRaw() const
{
    return Settings::shared().doubleValue(SettingsKey::windowHeight);
}

void AppEnvironment::setStoredWindowHeightRaw(double height)
{
    Settings::shared().setValue(SettingsKey::windowHeight, height);
}

QLocale AppEnvironment::locale() const
{
    if (m_selectedLanguage == u"pt")
        return QLocale(QStringLiteral("pt_BR"));
    if (m_selectedLanguage == u"en")
        return QLocale(QStringLiteral("en_US"));
    return systemLocale();
}

void AppEnvironment::setLanguage(const QString& language)
{
    m_selectedLanguage = language;
    Settings::shared().setValue(SettingsKey::selectedLanguage, language);
    Q_EMIT selectedLanguageChanged();
    Q_EMIT changed();
}

void AppEnvironment::setAppearanceStyle(AppearanceStyle style)
{
    m_appearanceStyle = style;
    Settings::shared().setValue(SettingsKey::appearanceStyle, rawValue(style));
    Q_EMIT appearanceStyleChanged();
    Q_EMIT changed();
}

void AppEnvironment::resetWindowHeight()
{
    setStoredWindowHeightRaw(0);
    Q_EMIT windowHeightReset();
}
