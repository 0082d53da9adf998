#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

/// Abbreviated relative dates ("5 min. ago", "há 5 min.") in the two languages the program
/// ships: Brazilian Portuguese for Portuguese locales, US English for every other locale.
class RelativeDateFormatter
{
public:
    explicit RelativeDateFormatter(const QLocale& locale);

    /// The formatter the rows use: the locale follows the "selectedLanguage" setting.
    static RelativeDateFormatter forCurrentLanguage();

    QString localizedString(const QDateTime& date, const QDateTime& relativeTo) const;

private:
    QLocale m_locale;
    bool m_portuguese = false;
};
