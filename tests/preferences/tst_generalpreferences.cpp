#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

#include "PreferencesTestSupport.h"
#include "PrintedLines.h"
#include "TestMain.h"
#include "activation/ShortcutFieldView.h"
#include "app/Settings.h"
#include "platform/x11/XdgAutostartLoginItem.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/PreferencesWidgets.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

class GeneralPreferencesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServices> m_world;
    std::unique_ptr<GeneralPreferencesView> m_page;

    GeneralPreferencesView* openPage(const PreferencesServices& services)
    {
        m_page = std::make_unique<GeneralPreferencesView>(services);
        m_page->resize(420, 600);
        m_page->show();
        if (!QTest::qWaitForWindowExposed(m_page.get()))
            return nullptr;
        return m_page.get();
    }
    GeneralPreferencesView* openPage() { return openPage(m_world->services()); }

    static ToggleSwitch* switchNamed(GeneralPreferencesView* page, const QString& name)
    {
        if (name == u"launchAtLogin")
            return page->launchAtLoginSwitch();
        if (name == u"useRichTextPaste")
            return page->richTextSwitch();
        if (name == u"playClickSound")
            return page->clickSoundSwitch();
        return page->shakeSwitch();
    }

    static SignalParameters general(const char* settingKey)
    {
        return params({{"settingKey", settingKey}, {"settingGroup", "general"}});
    }

private Q_SLOTS:
    void init()
    {
        for (const QString& key :
             {SettingsKey::launchAtLogin, SettingsKey::useRichTextPaste, SettingsKey::playClickSound,
              SettingsKey::enableShakeGesture, SettingsKey::selectedShakeModifier, SettingsKey::shortcutKey})
            Settings::shared().remove(key);
        m_world = std::make_unique<TestServices>();
    }
    void cleanup() { m_page.reset(); }

    void eachSwitchWritesItsKeyAndReportsWithoutTheValue_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("initial");
        QTest::addColumn<QString>("settingKey");
        QTest::newRow("launch at login") << u"launchAtLogin"_s << false << u"launchAtLogin"_s;
        QTest::newRow("rich text") << u"useRichTextPaste"_s << true << u"useRichTextPaste"_s;
        QTest::newRow("click sound") << u"playClickSound"_s << true << u"playClickSound"_s;
        QTest::newRow("shake gesture") << u"enableShakeGesture"_s << true << u"shakeGesture"_s;
    }

    void eachSwitchWritesItsKeyAndReportsWithoutTheValue()
    {
        QFETCH(QString, key);
        QFETCH(bool, initial);
        QFETCH(QString, settingKey);
        GeneralPreferencesView* page = openPage();
        QVERIFY(page);
        ToggleSwitch* control = switchNamed(page, key);
        QCOMPARE(control->isChecked(), initial);

        click(control);
        QCOMPARE(Settings::shared().value(key), QVariant(!initial));
        click(control);
        QCOMPARE(Settings::shared().boolValue(key), initial);

        const SignalParameters expected = general(qPrintable(settingKey));
        QCOMPARE(m_world->settingsChanged(), (QList<SignalParameters>{expected, expected}));
    }

    void shakeSwitchHidesAndShowsTheModifierPicker()
    {
        GeneralPreferencesView* page = openPage();
        QVERIFY(page);
        QVERIFY(page->shakeModifierBlock()->isVisible());
        QCOMPARE(page->shakeModifierPicker()->currentData().toString(), u"shift"_s);

        click(page->shakeSwitch());
        QVERIFY(!page->shakeModifierBlock()->isVisible());
        Settings::shared().setValue(QString(SettingsKey::selectedShakeModifier), u"option"_s);
        click(page->shakeSwitch());
        QVERIFY(page->shakeModifierBlock()->isVisible());
        QCOMPARE(page->shakeModifierPicker()->currentData().toString(), u"option"_s);
    }

    void modifierPickerWritesItsKey()
    {
        GeneralPreferencesView* page = openPage();
        QVERIFY(page);
        pick(page->shakeModifierPicker(), qtTrId("modifier_command"));
        QCOMPARE(Settings::shared().stringValue(QString(SettingsKey::selectedShakeModifier)), u"command"_s);
        QCOMPARE(m_world->settingsChanged(), QList<SignalParameters>{general("shakeModifier")});
    }

    void recordingAShortcutReportsEachChangeOfTheStoredText()
    {
        GeneralPreferencesView* page = openPage();
        QVERIFY(page);
        page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page));
        QTest::mouseClick(page->shortcutField()->field(), Qt::LeftButton);
        QTRY_VERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier);

        QCOMPARE(Settings::shared().stringValue(QString(SettingsKey::shortcutKey)), u"⇧⌘K"_s);
        QCOMPARE(m_world->registeredShortcuts, QStringList{u"⇧⌘K"_s});
        // Emptied when the recording starts, then the captured text.
        QCOMPARE(m_world->settingsChanged(),
                 (QList<SignalParameters>{general("shortcut"), general("shortcut")}));
    }

    void launchAtLoginReportsSuccessAndFailure_data()
    {
        QTest::addColumn<bool>("fail");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("register, then unregister")
            << false
            << QStringList{u"✅ App registrado para iniciar com o sistema"_s,
                           u"🛑 App removido do login automático"_s};
        QTest::newRow("both fail") << true
                                   << QStringList{u"🚫 Erro ao configurar login automático: "_s,
                                                  u"🚫 Erro ao configurar login automático: "_s};
    }

    void launchAtLoginReportsSuccessAndFailure()
    {
        QFETCH(bool, fail);
        QFETCH(QStringList, lines);
        m_world->loginItems.failWrites = fail;
        GeneralPreferencesView* page = openPage();
        QVERIFY(page);
        PrintedLines printed;

        click(page->launchAtLoginSwitch());
        QCOMPARE(m_world->loginItems.enabled, !fail);
        // The switch and the stored wish keep the user's choice either way.
        QVERIFY(page->launchAtLoginSwitch()->isChecked());
        QCOMPARE(Settings::shared().boolValue(QString(SettingsKey::launchAtLogin)), true);
        click(page->launchAtLoginSwitch());
        QCOMPARE(m_world->loginItems.enabled, false);

        QCOMPARE(printed.lines().size(), 2);
        for (int i = 0; i < 2; ++i)
            QVERIFY2(printed.lines().at(i).startsWith(lines.at(i)), qPrintable(printed.lines().at(i)));
        QCOMPARE(m_world->alerts.shown.size(), fail ? 2 : 0);
        if (fail) {
            const Alert& alert = m_world->alerts.shown.first();
            QCOMPARE(alert.title, qtTrId("launch_error_title"));
            QCOMPARE(alert.message, qtTrId("launch_error_message"));
            QCOMPARE(alert.buttons.size(), 1);
            QCOMPARE(alert.buttons.first().text, qtTrId("ok_button_label"));
        }
        QCOMPARE(m_world->settingsChanged(),
                 (QList<SignalParameters>{general("launchAtLogin"), general("launchAtLogin")}));
    }

    void launchAtLoginWritesAndRemovesTheAutostartEntry()
    {
        const QString folder = isolatedEnvironment().configHome() + u"/autostart"_s;
        QDir(folder).removeRecursively();
        XdgAutostartLoginItem entry(folder + u"/ovelin.desktop"_s, u"/opt/Ovelin Test/ovelin"_s);
        PreferencesServices services = m_world->services();
        services.loginItems = &entry;
        GeneralPreferencesView* page = openPage(services);
        QVERIFY(page);

        click(page->launchAtLoginSwitch());
        QVERIFY(QFile::exists(entry.entryPath()));
        QVERIFY(entry.isEnabled());
        click(page->launchAtLoginSwitch());
        QVERIFY(!entry.isEnabled());
        QVERIFY(m_world->alerts.shown.isEmpty());
    }

    void launchAtLoginIntoAnUnwritableFolderShowsTheAlert_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        // Root ignores permission bits, so the folder's place is also taken by a plain file.
        QTest::newRow("a file where the folder should be") << false;
        if (geteuid() != 0)
            QTest::newRow("a read-only folder") << true;
    }

    void launchAtLoginIntoAnUnwritableFolderShowsTheAlert()
    {
        QFETCH(bool, readOnlyFolder);
        const QString folder = isolatedEnvironment().path() + u"/blocked-autostart"_s;
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        if (readOnlyFolder) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        XdgAutostartLoginItem entry(folder + u"/ovelin.desktop"_s, u"/usr/bin/ovelin"_s);
        PreferencesServices services = m_world->services();
        services.loginItems = &entry;
        GeneralPreferencesView* page = openPage(services);
        QVERIFY(page);
        PrintedLines printed;

        click(page->launchAtLoginSwitch());

        QVERIFY(!entry.isEnabled());
        QCOMPARE(m_world->alerts.shown.size(), 1);
        QCOMPARE(m_world->alerts.shown.first().title, qtTrId("launch_error_title"));
        QVERIFY(page->launchAtLoginSwitch()->isChecked());
        QCOMPARE(printed.count(u"🚫 Erro ao configurar login automático: "_s), 1);
        if (readOnlyFolder)
            QFile::setPermissions(folder,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

OVELIN_TEST_MAIN(GeneralPreferencesTest)
#include "tst_generalpreferences.moc"
