#pragma once

#include <QList>

#include "preferences/PreferencesPage.h"

class QComboBox;

/// The interface languages, in picker order.
enum class AppLanguage
{
    System,
    English,
    Portuguese
};

/// "system", "en", "pt".
QString rawValue(AppLanguage language);
/// "language_option_system", "language_option_english", "language_option_portuguese".
QString labelKey(AppLanguage language);
/// A stored text that is none of the three raw values reads as system.
AppLanguage appLanguageFromRaw(const QString& text);
QList<AppLanguage> allAppLanguages();

/// The interface language picker. A change switches every open window's texts at once.
class LanguagePreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    LanguagePreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    QComboBox* languagePicker() const { return m_picker; }

private:
    void chooseLanguage(AppLanguage language);
    void showStoredLanguage();

    QComboBox* m_picker;
};
