#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

/// The sections of the preferences window, in sidebar order.
enum class PreferencesSection
{
    General,
    Appearance,
    History,
    Language,
    Permissions,
    About
};

/// "general", "appearance", "history", "language", "permissions", "about".
inline QString sectionName(PreferencesSection section)
{
    switch (section) {
    case PreferencesSection::General:
        return QStringLiteral("general");
    case PreferencesSection::Appearance:
        return QStringLiteral("appearance");
    case PreferencesSection::History:
        return QStringLiteral("history");
    case PreferencesSection::Language:
        return QStringLiteral("language");
    case PreferencesSection::Permissions:
        return QStringLiteral("permissions");
    case PreferencesSection::About:
        return QStringLiteral("about");
    }
    return {};
}

/// Every section, in sidebar order.
inline QList<PreferencesSection> allPreferencesSections()
{
    return {PreferencesSection::General,  PreferencesSection::Appearance,  PreferencesSection::History,
            PreferencesSection::Language, PreferencesSection::Permissions, PreferencesSection::About};
}

/// The sidebar label's localisation key ("section_general", ...).
inline QString sectionLabelKey(PreferencesSection section)
{
    return QStringLiteral("section_") + sectionName(section);
}

/// The symbol shown before the sidebar label.
inline QString sectionSymbol(PreferencesSection section)
{
    switch (section) {
    case PreferencesSection::General:
        return QStringLiteral("gearshape");
    case PreferencesSection::Appearance:
        return QStringLiteral("paintbrush");
    case PreferencesSection::History:
        return QStringLiteral("clock.arrow.circlepath");
    case PreferencesSection::Language:
        return QStringLiteral("globe");
    case PreferencesSection::Permissions:
        return QStringLiteral("lock.shield");
    case PreferencesSection::About:
        return QStringLiteral("laptopcomputer");
    }
    return {};
}

Q_DECLARE_METATYPE(PreferencesSection)
