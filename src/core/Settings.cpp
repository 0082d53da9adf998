#include "core/Settings.h"

#include <cmath>

#include <QHash>
#include <QSettings>

namespace {

const QHash<QString, QVariant>& defaults()
{
    static const QHash<QString, QVariant> table = {
        {QString(SettingsKey::historyLimit), 50},
        {QString(SettingsKey::useRichTextPaste), true},
        {QString(SettingsKey::playClickSound), true},
        {QString(SettingsKey::launchAtLogin), false},
        {QString(SettingsKey::shortcutKey), QStringLiteral("⌃⌘V")},
        {QString(SettingsKey::enableShakeGesture), true},
        {QString(SettingsKey::selectedShakeModifier), QStringLiteral("shift")},
        {QString(SettingsKey::appearanceStyle), QStringLiteral("classic")},
        {QString(SettingsKey::windowHeight), 0.0},
        {QString(SettingsKey::checkUpdatesAutomatically), true},
        // Password managers: what they put on the clipboard is a secret, whatever hint they give.
        {QString(SettingsKey::ignoredApplications),
         QStringList{QStringLiteral("KeePassXC"), QStringLiteral("KeePass"), QStringLiteral("Bitwarden"),
                     QStringLiteral("1Password"), QStringLiteral("Enpass"), QStringLiteral("Seahorse")}},
        {QString(SettingsKey::maxItemSizeMB), 50},
        {QString(SettingsKey::encryptHistory), false},
        {QString(SettingsKey::sensitiveItemMinutes), 5},
        {QString(SettingsKey::disabledSensitiveKinds), QStringList()},
    };
    return table;
}

// The native format keeps every value as text; a value that does not read as the key's type
// counts as absent.
std::optional<bool> toBool(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return std::nullopt;
}

// No setting holds more than a shortcut or a language code; a longer text is not one of ours.
constexpr qsizetype longestText = 256;

} // namespace

Settings& Settings::shared()
{
    static Settings instance;
    return instance;
}

QVariant Settings::defaultValue(const QString& key)
{
    return defaults().value(key);
}

bool Settings::contains(const QString& key) const
{
    return QSettings().contains(key);
}

QVariant Settings::value(const QString& key) const
{
    QSettings settings;
    return settings.contains(key) ? settings.value(key) : defaultValue(key);
}

bool Settings::boolValue(const QString& key) const
{
    if (const auto stored = toBool(QSettings().value(key)))
        return *stored;
    return defaultValue(key).toBool();
}

int Settings::intValue(const QString& key) const
{
    // The one integer setting is a count: a negative one (which would trim the whole history at
    // the next copy) is as unreadable as a word.
    const QVariant stored = QSettings().value(key);
    bool ok = false;
    const int number = stored.toInt(&ok);
    return ok && number >= 0 ? number : defaultValue(key).toInt();
}

double Settings::doubleValue(const QString& key) const
{
    // "nan" and "inf" read as numbers, but no size can be one.
    const QVariant stored = QSettings().value(key);
    bool ok = false;
    const double number = stored.toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue(key).toDouble();
}

QString Settings::stringValue(const QString& key) const
{
    // Lists ("a, b" in the file) and other types are not texts of ours.
    const QVariant stored = QSettings().value(key);
    if (stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QByteArray) {
        const QString text = stored.toString();
        if (text.size() <= longestText)
            return text;
    }
    return defaultValue(key).toString();
}

QStringList Settings::stringListValue(const QString& key) const
{
    // QSettings writes a list of one as a plain text, and an empty list as "@Invalid()".
    const QVariant stored = QSettings().value(key);
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList();
    if (stored.typeId() == QMetaType::QString)
        return stored.toString().isEmpty() ? QStringList() : QStringList{stored.toString()};
    if (stored.typeId() == QMetaType::QVariantList)
        return stored.toStringList();
    if (!stored.isValid() && contains(key))
        return {};
    return defaultValue(key).toStringList();
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    QSettings().setValue(key, value);
    Q_EMIT valueChanged(key);
}

void Settings::remove(const QString& key)
{
    QSettings().remove(key);
    Q_EMIT valueChanged(key);
}
