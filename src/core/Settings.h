#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

/// The persisted settings keys. Every key reads as its default until something writes it.
namespace SettingsKey {
inline const QString historyLimit = QStringLiteral("historyLimit");
inline const QString useRichTextPaste = QStringLiteral("useRichTextPaste");
inline const QString playClickSound = QStringLiteral("playClickSound");
inline const QString launchAtLogin = QStringLiteral("launchAtLogin");
inline const QString shortcutKey = QStringLiteral("shortcutKey");
inline const QString enableShakeGesture = QStringLiteral("enableShakeGesture");
inline const QString selectedShakeModifier = QStringLiteral("selectedShakeModifier");
inline const QString appearanceStyle = QStringLiteral("appearance_style");
inline const QString windowHeight = QStringLiteral("ovelinWindowHeight");
inline const QString selectedAppTheme = QStringLiteral("selectedAppTheme");
inline const QString selectedLanguage = QStringLiteral("selectedLanguage");
inline const QString checkUpdatesAutomatically = QStringLiteral("checkUpdatesAutomatically");
inline const QString ignoredApplications = QStringLiteral("ignoredApplications");
inline const QString maxItemSizeMB = QStringLiteral("maxItemSizeMB");
inline const QString encryptHistory = QStringLiteral("encryptHistory");
// Minutes a copied secret stays in the history (memory only); 0: secrets are not captured.
inline const QString sensitiveItemMinutes = QStringLiteral("sensitiveItemMinutes");
// Ids of the kinds of secrets (SensitiveText) treated as ordinary text.
inline const QString disabledSensitiveKinds = QStringLiteral("disabledSensitiveKinds");
} // namespace SettingsKey

/// The user's settings (QSettings, organisation and application "Ovelin").
/// Reads fall back to the key's default when the key is absent or holds a value of the wrong type;
/// nothing is ever written just to store a default. Every write through this object is announced
/// with valueChanged, so views bound to a key follow writes made elsewhere. GUI thread only.
class Settings : public QObject
{
    Q_OBJECT
public:
    static Settings& shared();

    /// The default of a key of the table; an invalid QVariant for unknown keys and for keys
    /// whose default is "absent" ("selectedAppTheme", "selectedLanguage").
    static QVariant defaultValue(const QString& key);

    bool contains(const QString& key) const;
    /// The stored value as stored, or the default when absent.
    QVariant value(const QString& key) const;
    bool boolValue(const QString& key) const;
    int intValue(const QString& key) const;
    double doubleValue(const QString& key) const;
    /// The stored text, or the default text ("" for keys without a default).
    QString stringValue(const QString& key) const;
    /// The stored list (a single text reads as a list of one), or the default list.
    QStringList stringListValue(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

Q_SIGNALS:
    void valueChanged(const QString& key);

private:
    Settings() = default;
};
