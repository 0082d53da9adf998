#include <QSettings>
#include <QTest>

#include "TestFiles.h"
#include "TestMain.h"
#include "core/AppEnvironment.h"
#include "core/Settings.h"

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

    AppEnvironment& environment() { return AppEnvironment::shared(); }

private Q_SLOTS:
    void init()
    {
        QSettings().clear();
        AppEnvironment::setSystemLocaleForTesting(QLocale(u"en_US"_s));
        environment().reload();
    }

    void defaultsWriteNothingAndValuesReachTheFile()
    {
        // The pages show most defaults (and tst_startup registers the default shortcut); these
        // are the ones only the file holds, and reading must write nothing.
        Settings& settings = Settings::shared();
        QCOMPARE(settings.intValue(SettingsKey::historyLimit), 50);
        QCOMPARE(settings.doubleValue(SettingsKey::windowHeight), 0.0);
        QVERIFY(!settings.contains(SettingsKey::selectedAppTheme));
        QVERIFY(!settings.contains(SettingsKey::selectedLanguage));
        QVERIFY(QSettings().allKeys().isEmpty());

        Settings::shared().setValue(SettingsKey::shortcutKey, u"⌥⇧K"_s);
        QSettings().sync();
        QSettings file(ovelin::test::isolatedEnvironment().configHome() + u"/Ovelin/Ovelin.conf"_s,
                       QSettings::IniFormat);
        QCOMPARE(file.value(SettingsKey::shortcutKey).toString(), u"⌥⇧K"_s);
    }

    // What the rest of Ovelin (and the preferences) read for a key written by hand, or by
    // something else, into the settings file.
    void hostileValuesInTheFileReadAsSensibleOnes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("read");
        const QByteArray huge(100 * 1024, '7');
        const QByteArray garbageVariant = "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\xffQFoo)";
        const QString limit = SettingsKey::historyLimit;
        QTest::newRow("limit: a word") << limit << QByteArray("many") << u"50"_s;
        // Regression: a negative limit read as 0 and trimmed every unpinned item at the next copy.
        QTest::newRow("limit: negative") << limit << QByteArray("-5") << u"50"_s;
        QTest::newRow("limit: beyond int") << limit << QByteArray("99999999999999999999") << u"50"_s;
        QTest::newRow("limit: unknown variant") << limit << garbageVariant << u"50"_s;
        QTest::newRow("limit: zero stands") << limit << QByteArray("0") << u"0"_s;
        QTest::newRow("limit: a number") << limit << QByteArray("120") << u"120"_s;
        const QString sound = SettingsKey::playClickSound;
        QTest::newRow("bool: a word") << sound << QByteArray("perhaps") << u"true"_s;
        QTest::newRow("bool: a number") << sound << QByteArray("-1") << u"true"_s;
        QTest::newRow("bool: false") << sound << QByteArray("false") << u"false"_s;
        const QString shortcut = SettingsKey::shortcutKey;
        QTest::newRow("shortcut: 100 kB of text") << shortcut << QByteArray(100 * 1024, 'V') << u"⌃⌘V"_s;
        QTest::newRow("shortcut: empty means none") << shortcut << QByteArray() << QString();
        QTest::newRow("language: 100 kB of text")
            << QString(SettingsKey::selectedLanguage) << huge << u"en"_s;
    }
    void hostileValuesInTheFileReadAsSensibleOnes()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, raw);
        QFETCH(QString, read);
        QSettings().sync();
        QVERIFY(ovelin::test::writeFile(ovelin::test::isolatedEnvironment().configHome() +
                                            u"/Ovelin/Ovelin.conf"_s,
                                        "[General]\n" + key.toUtf8() + '=' + raw + '\n'));
        QSettings().sync();

        Settings& settings = Settings::shared();
        environment().reload();
        QString actual;
        if (key == SettingsKey::historyLimit)
            actual = QString::number(settings.intValue(key));
        else if (key == SettingsKey::playClickSound)
            actual = settings.boolValue(key) ? u"true"_s : u"false"_s;
        else if (key == SettingsKey::selectedLanguage)
            actual = environment().selectedLanguage();
        else
            actual = settings.stringValue(key);
        QCOMPARE(actual, read);
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
            QSettings().setValue(SettingsKey::selectedLanguage, stored);
        environment().reload();
        QCOMPARE(environment().selectedLanguage(), language);
        QCOMPARE(environment().locale().name(), locale);
        // The decision is not written back.
        QCOMPARE(Settings::shared().contains(SettingsKey::selectedLanguage), stored.isValid());
    }
};

OVELIN_TEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
