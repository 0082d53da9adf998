#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "PreferencesTestSupport.h"
#include "TestMain.h"
#include "app/AppEnvironment.h"
#include "app/Settings.h"
#include "preferences/AppearancePreferencesView.h"
#include "preferences/LanguagePreferencesView.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class AppearanceLanguageTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServices> m_world;

    template <typename Page> std::unique_ptr<Page> open()
    {
        auto page = std::make_unique<Page>(m_world->services());
        page->resize(420, 400);
        page->show();
        if (!QTest::qWaitForWindowExposed(page.get()))
            return nullptr;
        return page;
    }

    static QString stored(const QString& key) { return Settings::shared().stringValue(key); }

private Q_SLOTS:
    void init()
    {
        for (const QString& key : {SettingsKey::appearanceStyle, SettingsKey::selectedAppTheme,
                                   SettingsKey::selectedLanguage, SettingsKey::windowHeight})
            Settings::shared().remove(key);
        AppEnvironment::shared().reload();
        m_world = std::make_unique<TestServices>();
    }

    void openingThePageAppliesTheStoredStyle_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("modern");
        QTest::newRow("modern") << u"modern"_s << true;
        QTest::newRow("Modern with a capital M is classic") << u"Modern"_s << false;
        QTest::newRow("absent") << QString() << false;
    }

    void openingThePageAppliesTheStoredStyle()
    {
        QFETCH(QString, stored);
        QFETCH(bool, modern);
        // The environment starts out of line with the stored text.
        AppEnvironment::shared().setAppearanceStyle(modern ? AppearanceStyle::Classic
                                                           : AppearanceStyle::Modern);
        if (stored.isNull())
            Settings::shared().remove(QString(SettingsKey::appearanceStyle));
        else
            Settings::shared().setValue(QString(SettingsKey::appearanceStyle), stored);

        auto page = open<AppearancePreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->stylePicker()->currentIndex(), modern ? 1 : 0);
        QCOMPARE(AppEnvironment::shared().appearanceStyle(),
                 modern ? AppearanceStyle::Modern : AppearanceStyle::Classic);
        QCOMPARE(page->panelSizeBlock()->isVisible(), modern);
        QVERIFY(m_world->settingsChanged().isEmpty());
    }

    void choosingAStyleStoresItAndTogglesThePanelSizeBlock()
    {
        auto page = open<AppearancePreferencesView>();
        QVERIFY(page);
        QVERIFY(!page->panelSizeBlock()->isVisible());
        QCOMPARE(page->stylePicker()->width(), 240);

        pick(page->stylePicker(), qtTrId("appearance_option_modern"));
        QCOMPARE(stored(SettingsKey::appearanceStyle), u"modern"_s);
        QCOMPARE(AppEnvironment::shared().appearanceStyle(), AppearanceStyle::Modern);
        QVERIFY(page->panelSizeBlock()->isVisible());

        pick(page->stylePicker(), qtTrId("appearance_option_classic"));
        QCOMPARE(stored(SettingsKey::appearanceStyle), u"classic"_s);
        QVERIFY(!page->panelSizeBlock()->isVisible());

        const SignalParameters expected =
            params({{"settingKey", "appearanceStyle"}, {"settingGroup", "appearance"}});
        QCOMPARE(m_world->settingsChanged(), (QList<SignalParameters>{expected, expected}));
    }

    void resetButtonForgetsTheModernHeight()
    {
        Settings::shared().setValue(QString(SettingsKey::appearanceStyle), u"modern"_s);
        Settings::shared().setValue(QString(SettingsKey::windowHeight), 800.0);
        auto page = open<AppearancePreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->resetHeightButton()->toolTip(), qtTrId("appearance_window_size_reset_help"));
        click(page->resetHeightButton());
        QCOMPARE(Settings::shared().doubleValue(QString(SettingsKey::windowHeight)), 0.0);
        QCOMPARE(AppEnvironment::shared().windowHeight(), 600.0);
    }

    void themeChangesAreReportedWhoeverWritesThem()
    {
        auto page = open<AppearancePreferencesView>();
        QVERIFY(page);
        const QString key(SettingsKey::selectedAppTheme);
        Settings::shared().setValue(key, u"Dark"_s);
        Settings::shared().setValue(key, u"Dark"_s); // no change
        Settings::shared().setValue(key, u"dark"_s); // reads as System
        Settings::shared().setValue(key, u"Light"_s);
        auto theme = [](const char* value) {
            return params({{"settingKey", "theme"}, {"settingGroup", "appearance"}, {"value", value}});
        };
        QCOMPARE(m_world->settingsChanged(),
                 (QList<SignalParameters>{theme("Dark"), theme("System"), theme("Light")}));
    }

    void languagePickerShowsTheStoredLanguage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("absent") << QString() << u"language_option_system"_s;
        QTest::newRow("pt") << u"pt"_s << u"language_option_portuguese"_s;
        QTest::newRow("en") << u"en"_s << u"language_option_english"_s;
        QTest::newRow("an unknown text reads as system") << u"fr"_s << u"language_option_system"_s;
    }

    void languagePickerShowsTheStoredLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        if (!stored.isNull())
            Settings::shared().setValue(QString(SettingsKey::selectedLanguage), stored);
        auto page = open<LanguagePreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->languagePicker()->width(), 300);
        QCOMPARE(page->languagePicker()->count(), 3);
        QCOMPARE(page->languagePicker()->currentText(), qtTrId(shown.toUtf8().constData()));
    }

    void choosingALanguageSetsItAndReportsTheRawValue()
    {
        Settings::shared().setValue(QString(SettingsKey::selectedLanguage), u"en"_s);
        auto page = open<LanguagePreferencesView>();
        QVERIFY(page);

        pick(page->languagePicker(), qtTrId("language_option_english")); // already selected
        QVERIFY(m_world->settingsChanged().isEmpty());

        pick(page->languagePicker(), qtTrId("language_option_portuguese"));
        QCOMPARE(stored(SettingsKey::selectedLanguage), u"pt"_s);
        QCOMPARE(AppEnvironment::shared().selectedLanguage(), u"pt"_s);
        QCOMPARE(AppEnvironment::shared().locale().name(), u"pt_BR"_s);

        pick(page->languagePicker(), qtTrId("language_option_system"));
        QCOMPARE(stored(SettingsKey::selectedLanguage), u"system"_s);
        QCOMPARE(
            m_world->settingsChanged(),
            (QList<SignalParameters>{
                params({{"settingKey", "language"}, {"settingGroup", "language"}, {"value", "pt"}}),
                params({{"settingKey", "language"}, {"settingGroup", "language"}, {"value", "system"}})}));
    }
};

OVELIN_TEST_MAIN(AppearanceLanguageTest)
#include "tst_appearancelanguage.moc"
