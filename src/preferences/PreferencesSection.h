#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

/// The sections of the preferences window, in sidebar order.
enum class PreferencesSection { General, Appearance, History, Language, Permissions, About };

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

Q_DECLARE_METATYPE(PreferencesSection)
