#pragma once

#include <functional>
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

    static constexpr int defaultWindowWidth = 400;
    static constexpr int defaultWindowHeight = 600;
    static constexpr int minimumWindowHeight = 360;
    /// Far taller than any screen, and well inside X11's 16-bit window coordinates.
    static constexpr int maximumWindowHeight = 16384;

    QString selectedLanguage() const { return m_selectedLanguage; }
    bool enableShakeGesture() const;
    QString selectedShakeModifier() const;
    void setSelectedShakeModifier(const QString& modifier);
    AppearanceStyle appearanceStyle() const { return m_appearanceStyle; }
    AppTheme selectedTheme() const { return m_selectedTheme; }
    double storedWindowHeightRaw() const;
    void setStoredWindowHeightRaw(double height);

    /// The panel height for the current style (600 in classic; the stored height, at least 360, in modern).
    double windowHeight() const;
    /// pt_BR for "pt", en_US for "en", the system locale otherwise.
    QLocale locale() const;

    void setLanguage(const QString& language);
    void setAppearanceStyle(AppearanceStyle style);
    /// Forgets the modern height and resizes the panel through the handler the panel registered.
    void resetWindowHeight();

    /// Set by the panel's owner: resizes the panel to the given height, keeping its top edge.
    void setPanelHeightHandler(std::function<void(double)> handler);

    /// Re-reads the stored values, as a fresh process would (tests only).
    void reload();
    /// Replaces the system locale that the language rule and `locale` consult (tests only).
    static void setSystemLocaleForTesting(std::optional<QLocale> locale);

Q_SIGNALS:
    void selectedLanguageChanged();
    void appearanceStyleChanged();
    void storedWindowHeightChanged();
    void shakeSettingsChanged();
    /// Any change of the fields above.
    void changed();

private:
    AppEnvironment();

    QString m_selectedLanguage;
    AppearanceStyle m_appearanceStyle = AppearanceStyle::Classic;
    AppTheme m_selectedTheme = AppTheme::System;
    std::function<void(double)> m_panelHeightHandler;
};
