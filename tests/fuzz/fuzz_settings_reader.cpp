// Feeds arbitrary bytes to the settings reader as the settings file: reading must never crash,
// and every key must read as a value the rest of Ovelin can use.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "core/AppEnvironment.h"
#include "core/Settings.h"

namespace {

QString settingsFile;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ovelin"));
    QCoreApplication::setApplicationName(QStringLiteral("Ovelin"));
    QDir(home.path()).mkpath(QStringLiteral("Ovelin"));
    settingsFile = home.path() + QStringLiteral("/Ovelin/Ovelin.conf");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Qt 6.4 reserves a serialized list's announced length before reading it, so a crafted
    // "@Variant(" list asks for gigabytes inside QSettings itself. Ovelin writes no variant but a
    // double (type 6); other variants are Qt's parser, not ours, and are left out.
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (qsizetype at = text.indexOf("@Variant("); at >= 0; at = text.indexOf("@Variant(", at + 1)) {
        if (!text.mid(at + 9).startsWith("\\0\\0\\0\\x6"))
            return 0;
    }
    {
        QFile file(settingsFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // Nothing is waiting to be written, so this reads the file again.
    QSettings().sync();

    const Settings& settings = Settings::shared();
    check(settings.intValue(SettingsKey::historyLimit) >= 0);
    check(std::isfinite(settings.doubleValue(SettingsKey::windowHeight)));
    for (const QString& key :
         {SettingsKey::useRichTextPaste, SettingsKey::playClickSound, SettingsKey::launchAtLogin,
          SettingsKey::enableShakeGesture, SettingsKey::checkUpdatesAutomatically})
        settings.boolValue(key);
    for (const QString& key :
         {SettingsKey::shortcutKey, SettingsKey::selectedShakeModifier, SettingsKey::appearanceStyle,
          SettingsKey::selectedAppTheme, SettingsKey::selectedLanguage})
        check(settings.stringValue(key).size() <= 256);

    AppEnvironment& environment = AppEnvironment::shared();
    environment.reload();
    check(!environment.selectedLanguage().isEmpty());
    return 0;
}
