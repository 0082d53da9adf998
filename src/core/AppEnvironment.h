#pragma once

#include <optional>

#include <QLocale>
#include <QObject>
#include <QString>

enum class AppearanceStyle
{
    Classic,
    Modern
};
enum class AppTheme
{
    System,
    Light,
    Dark
};

QString rawValue(AppearanceStyle style);
QString rawValue(AppTheme theme);

/// The shared settings object: panel style and height, theme, language and shake settings.
/// GUI thread only.
class AppEnvironment : public QObject
{
    Q_OBJECT
public:
    static AppEnvironment& shared();

    QString selectedLanguage() const { return m_selectedLanguage; }
    bool enableShakeGesture() const;
    QString selectedShakeModifier() const;
    void setSelectedShakeModifier(const QString& modifier);
    AppearanceStyle appearanceStyle() const { return m_appearanceStyle; }
    AppTheme selectedTheme() const { return m_selectedTheme; }
    /// The modern panel's stored height as stored; 0 when none was chosen.
    double storedWindowHeightRaw() const;
    void setStoredWindowHeightRaw(double height);

    /// pt_BR for "pt", en_US for "en", the system locale otherwise.
    QLocale locale() const;

    void setLanguage(const QString& language);
    void setAppearanceStyle(AppearanceStyle style);
    /// Forgets the modern height, then announces it with windowHeightReset.
    void resetWindowHeight();

    /// Re-reads the stored values, as a fresh process would (tests only).
    void reload();
    /// Replaces the system locale that the language rule and `locale` consult (tests only).
    static void setSystemLocaleForTesting(std::optional<QLocale> locale);

Q_SIGNALS:
    void selectedLanguageChanged();
    void appearanceStyleChanged();
    void storedWindowHeightChanged();
    void shakeSettingsChanged();
    /// The stored height was forgotten on request: the panel takes its default height again.
    void windowHeightReset();
    /// Any change of the fields above.
    void changed();

private:
    AppEnvironment();

    QString m_selectedLanguage;
    AppearanceStyle m_appearanceStyle = AppearanceStyle::Classic;
    AppTheme m_selectedTheme = AppTheme::System;
};
