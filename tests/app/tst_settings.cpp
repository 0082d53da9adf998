#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "TestMain.h"
#include "app/AppEnvironment.h"
#include "app/Settings.h"

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

    AppEnvironment& environment() { return AppEnvironment::shared(); }

    void store(const QString& key, const QVariant& value) { QSettings().setValue(key, value); }

private Q_SLOTS:
    void init()
    {
        QSettings().clear();
        AppEnvironment::setSystemLocaleForTesting(QLocale(u"en_US"_s));
        environment().reload();
    }

    void defaultsWithoutWritingAnything()
    {
        Settings& settings = Settings::shared();
        QCOMPARE(settings.intValue(SettingsKey::historyLimit), 50);
        QCOMPARE(settings.boolValue(SettingsKey::useRichTextPaste), true);
        QCOMPARE(settings.boolValue(SettingsKey::playClickSound), true);
        QCOMPARE(settings.boolValue(SettingsKey::launchAtLogin), false);
        QCOMPARE(settings.stringValue(SettingsKey::shortcutKey), u"⌃⌘V"_s);
        QCOMPARE(settings.boolValue(SettingsKey::enableShakeGesture), true);
        QCOMPARE(settings.stringValue(SettingsKey::selectedShakeModifier), u"shift"_s);
        QCOMPARE(settings.stringValue(SettingsKey::appearanceStyle), u"classic"_s);
        QCOMPARE(settings.doubleValue(SettingsKey::windowHeight), 0.0);
        QCOMPARE(settings.boolValue(SettingsKey::checkUpdatesAutomatically), true);
        QVERIFY(!settings.contains(SettingsKey::selectedAppTheme));
        QVERIFY(!settings.contains(SettingsKey::selectedLanguage));
        QVERIFY(QSettings().allKeys().isEmpty());
    }

    void valuesRoundTripThroughTheFile()
    {
        Settings& settings = Settings::shared();
        settings.setValue(SettingsKey::historyLimit, 120);
        settings.setValue(SettingsKey::playClickSound, false);
        settings.setValue(SettingsKey::windowHeight, 512.5);
        settings.setValue(SettingsKey::shortcutKey, u"⌥⇧K"_s);
        QSettings().sync();
        QCOMPARE(settings.intValue(SettingsKey::historyLimit), 120);
        QCOMPARE(settings.boolValue(SettingsKey::playClickSound), false);
        QCOMPARE(settings.doubleValue(SettingsKey::windowHeight), 512.5);
        QCOMPARE(settings.stringValue(SettingsKey::shortcutKey), u"⌥⇧K"_s);
        const QString file = ovelin::test::isolatedEnvironment().configHome() + u"/Ovelin/Ovelin.conf"_s;
        QVERIFY2(QFile::exists(file), qPrintable(file));
    }

    void mistypedValuesReadAsDefault()
    {
        store(SettingsKey::historyLimit, u"many"_s);
        store(SettingsKey::playClickSound, u"perhaps"_s);
        store(SettingsKey::windowHeight, u"tall"_s);
        QCOMPARE(Settings::shared().intValue(SettingsKey::historyLimit), 50);
        QCOMPARE(Settings::shared().boolValue(SettingsKey::playClickSound), true);
        QCOMPARE(Settings::shared().doubleValue(SettingsKey::windowHeight), 0.0);
    }

    void writesAreAnnounced()
    {
        QSignalSpy spy(&Settings::shared(), &Settings::valueChanged);
        QSignalSpy shake(&environment(), &AppEnvironment::shakeSettingsChanged);
        Settings::shared().setValue(SettingsKey::selectedShakeModifier, u"option"_s);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), SettingsKey::selectedShakeModifier);
        QCOMPARE(shake.count(), 1);
        QCOMPARE(environment().selectedShakeModifier(), u"option"_s);
    }

    void languageFromTheSystem_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("locale");
        QTest::newRow("pt_BR system") << u"pt_BR"_s << QVariant() << u"pt"_s << u"pt_BR"_s;
        QTest::newRow("pt_PT system") << u"pt_PT"_s << QVariant() << u"pt"_s << u"pt_BR"_s;
        QTest::newRow("de_DE system") << u"de_DE"_s << QVariant() << u"en"_s << u"en_US"_s;
        QTest::newRow("stored system on pt") << u"pt_BR"_s << QVariant(u"system"_s) << u"pt"_s << u"pt_BR"_s;
        QTest::newRow("stored en on pt") << u"pt_BR"_s << QVariant(u"en"_s) << u"en"_s << u"en_US"_s;
        QTest::newRow("stored fr kept") << u"de_DE"_s << QVariant(u"fr"_s) << u"fr"_s << u"de_DE"_s;
    }
    void languageFromTheSystem()
    {
        QFETCH(QString, system);
        QFETCH(QVariant, stored);
        QFETCH(QString, language);
        QFETCH(QString, locale);
        AppEnvironment::setSystemLocaleForTesting(QLocale(system));
        if (stored.isValid())
            store(SettingsKey::selectedLanguage, stored);
        environment().reload();
        QCOMPARE(environment().selectedLanguage(), language);
        QCOMPARE(environment().locale().name(), locale);
        // The decision is not written back.
        QCOMPARE(Settings::shared().contains(SettingsKey::selectedLanguage), stored.isValid());
    }

    void setLanguageStoresAndAnnounces()
    {
        QSignalSpy spy(&environment(), &AppEnvironment::selectedLanguageChanged);
        environment().setLanguage(u"pt"_s);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(Settings::shared().stringValue(SettingsKey::selectedLanguage), u"pt"_s);
        QCOMPARE(environment().locale().name(), u"pt_BR"_s);
        environment().setLanguage(u"system"_s);
        QCOMPARE(environment().locale().name(), u"en_US"_s);
    }

    void storedTexts_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("modern");
        QTest::addColumn<int>("appTheme");
        QTest::newRow("exact") << u"modern"_s << u"Dark"_s << true << int(AppTheme::Dark);
        QTest::newRow("capitalised style, lower-case theme")
            << u"Modern"_s << u"dark"_s << false << int(AppTheme::System);
        QTest::newRow("light") << u"classic"_s << u"Light"_s << false << int(AppTheme::Light);
        QTest::newRow("garbage") << u"fancy"_s << u"Sepia"_s << false << int(AppTheme::System);
    }
    void storedTexts()
    {
        QFETCH(QString, style);
        QFETCH(QString, theme);
        QFETCH(bool, modern);
        QFETCH(int, appTheme);
        store(SettingsKey::appearanceStyle, style);
        store(SettingsKey::selectedAppTheme, theme);
        environment().reload();
        QCOMPARE(environment().appearanceStyle() == AppearanceStyle::Modern, modern);
        QCOMPARE(int(environment().selectedTheme()), appTheme);
    }

    void windowHeight_data()
    {
        QTest::addColumn<bool>("modern");
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("height");
        QTest::newRow("modern 250 raised") << true << 250.0 << 360.0;
        QTest::newRow("modern 360") << true << 360.0 << 360.0;
        QTest::newRow("modern 0") << true << 0.0 << 600.0;
        QTest::newRow("modern negative") << true << -20.0 << 600.0;
        QTest::newRow("modern 900") << true << 900.0 << 900.0;
        QTest::newRow("classic ignores 900") << false << 900.0 << 600.0;
        QTest::newRow("classic ignores 250") << false << 250.0 << 600.0;
    }
    void windowHeight()
    {
        QFETCH(bool, modern);
        QFETCH(double, stored);
        QFETCH(double, height);
        environment().setAppearanceStyle(modern ? AppearanceStyle::Modern : AppearanceStyle::Classic);
        environment().setStoredWindowHeightRaw(stored);
        QCOMPARE(environment().windowHeight(), height);
    }

    void switchingStylesKeepsTheModernHeight()
    {
        environment().setAppearanceStyle(AppearanceStyle::Modern);
        environment().setStoredWindowHeightRaw(800);
        environment().setAppearanceStyle(AppearanceStyle::Classic);
        QCOMPARE(environment().windowHeight(), 600.0);
        QCOMPARE(Settings::shared().stringValue(SettingsKey::appearanceStyle), u"classic"_s);
        environment().setAppearanceStyle(AppearanceStyle::Modern);
        QCOMPARE(environment().windowHeight(), 800.0);
    }

    void resetWindowHeightForgetsAndResizes()
    {
        environment().setAppearanceStyle(AppearanceStyle::Modern);
        environment().setStoredWindowHeightRaw(800);
        double resizedTo = 0;
        environment().setPanelHeightHandler([&](double height) { resizedTo = height; });
        environment().resetWindowHeight();
        environment().setPanelHeightHandler({});
        QCOMPARE(environment().storedWindowHeightRaw(), 0.0);
        QCOMPARE(resizedTo, 600.0);
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
