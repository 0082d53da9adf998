#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTranslator>

#include "PreferencesTestSupport.h"
#include "PrintedLines.h"
#include "TestMain.h"
#include "core/AppEnvironment.h"
#include "core/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/SensitiveText.h"
#include "platform/GlobalShortcutService.h"
#include "preferences/AboutPreferencesView.h"
#include "preferences/AppVersion.h"
#include "preferences/AppearancePreferencesView.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HelpViewer.h"
#include "preferences/HistoryPreferencesView.h"
#include "preferences/LanguagePreferencesView.h"
#include "preferences/PermissionsManager.h"
#include "preferences/PermissionsPreferencesView.h"
#include "preferences/PreferencesWidgets.h"
#include "preferences/ShortcutFieldView.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

// The pages of the preferences window, each on its own with fake services (an X11 session's, or a
// Wayland session's), and the message box that shows their alerts in the application.
class PreferencePagesTest : public QObject
{
    Q_OBJECT

private:
    static constexpr QSize pageSize{440, 700};
    QTranslator m_english;
    QTemporaryDir m_dir;
    int m_files = 0;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<TestServices> m_world;

    template <typename Page> std::unique_ptr<Page> open()
    {
        return showPage<Page>(pageSize, m_world->services());
    }

    static SignalParameters general(const char* settingKey) { return changed(settingKey, "general"); }

    static bool showsText(const QWidget* page, const QString& text)
    {
        for (const QLabel* label : page->findChildren<QLabel*>()) {
            if (label->isVisible() && label->text() == text)
                return true;
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_english.load(u":/i18n/ovelin_en.qm"_s));
        QCoreApplication::installTranslator(&m_english);
    }

    void init()
    {
        QSettings().clear();
        AppEnvironment::shared().reload();
        m_history = std::make_unique<ClipboardHistory>(
            ClipboardStorage::atPath(m_dir.filePath(u"history-%1.json"_s.arg(++m_files))));
        m_world = std::make_unique<TestServices>();
    }

    // General

    // Launch at login: launchAtLoginRegistersOrShowsTheAlert.
    void eachSwitchWritesItsKeyAndReportsWithoutTheValue()
    {
        auto page = open<GeneralPreferencesView>();
        QVERIFY(page);
        QList<SignalParameters> expected;
        for (const auto& [toggle, key, reported] :
             {std::tuple{page->richTextSwitch(), "useRichTextPaste", "useRichTextPaste"},
              {page->clickSoundSwitch(), "playClickSound", "playClickSound"},
              {page->shakeSwitch(), "enableShakeGesture", "shakeGesture"}}) {
            QVERIFY2(toggle->isChecked(), key); // each is on by default
            click(toggle);
            QVERIFY2(!Settings::shared().boolValue(QString::fromUtf8(key)), key);
            click(toggle);
            QVERIFY2(Settings::shared().boolValue(QString::fromUtf8(key)), key);
            expected << general(reported) << general(reported);
        }
        QCOMPARE(m_world->settingsChanged, expected);
    }

    void modifierPickerWritesItsKeyAndTheShakeSwitchHidesIt()
    {
        auto page = open<GeneralPreferencesView>();
        QVERIFY(page);
        QVERIFY(page->shakeModifierBlock()->isVisible());
        QCOMPARE(page->shakeModifierPicker()->currentData().toString(), u"shift"_s);
        pick(page->shakeModifierPicker(), qtTrId("modifier_command"));
        QCOMPARE(Settings::shared().stringValue(QString(SettingsKey::selectedShakeModifier)), u"command"_s);
        QCOMPARE(m_world->settingsChanged, QList<SignalParameters>{general("shakeModifier")});

        click(page->shakeSwitch());
        QVERIFY(!page->shakeModifierBlock()->isVisible());
        Settings::shared().setValue(QString(SettingsKey::selectedShakeModifier), u"option"_s);
        click(page->shakeSwitch());
        QVERIFY(page->shakeModifierBlock()->isVisible());
        QCOMPARE(page->shakeModifierPicker()->currentData().toString(), u"option"_s);
    }

    void recordingAShortcutReportsEachChangeOfTheStoredText()
    {
        auto page = open<GeneralPreferencesView>();
        QVERIFY(page);
        page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
        QTest::mouseClick(page->shortcutField()->field(), Qt::LeftButton);
        QTRY_VERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier);

        QCOMPARE(Settings::shared().stringValue(QString(SettingsKey::shortcutKey)), u"⇧⌘K"_s);
        QCOMPARE(m_world->registeredShortcuts, QStringList{u"⇧⌘K"_s});
        // Emptied when the recording starts, then the captured text.
        QCOMPARE(m_world->settingsChanged,
                 (QList<SignalParameters>{general("shortcut"), general("shortcut")}));
    }

    // The autostart entry itself: tst_loginitem.
    void launchAtLoginRegistersOrShowsTheAlert()
    {
        m_world->loginItems.failWrites = true;
        auto page = open<GeneralPreferencesView>();
        QVERIFY(page);
        PrintedLines printed;
        const auto wished = [] { return Settings::shared().boolValue(QString(SettingsKey::launchAtLogin)); };

        // Refused: the switch and the stored wish keep the user's choice, and an alert says why.
        click(page->launchAtLoginSwitch());
        QVERIFY(!m_world->loginItems.enabled && page->launchAtLoginSwitch()->isChecked() && wished());
        QCOMPARE(m_world->alerts.shown.size(), 1);
        m_world->loginItems.failWrites = false;
        click(page->launchAtLoginSwitch());
        QVERIFY(!m_world->loginItems.enabled && !wished());
        click(page->launchAtLoginSwitch());
        QVERIFY(m_world->loginItems.enabled && wished());

        QCOMPARE(printed.lines(),
                 (QStringList{u"🚫 Erro ao configurar login automático: fake register failure"_s,
                              u"🛑 App removido do login automático"_s,
                              u"✅ App registrado para iniciar com o sistema"_s}));
        QCOMPARE(m_world->alerts.shown.size(), 1);
        QCOMPARE(m_world->settingsChanged, QList<SignalParameters>(3, general("launchAtLogin")));
    }

    // History

    void stepperMovesInTensWithinTheRange_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("shownBefore");
        QTest::newRow("default up") << QVariant() << true << 1 << 60 << u"50"_s;
        QTest::newRow("default down") << QVariant() << false << 2 << 30 << u"50"_s;
        QTest::newRow("stops at 10") << QVariant(20) << false << 3 << 10 << u"20"_s;
        QTest::newRow("stops at 500") << QVariant(480) << true << 4 << 500 << u"480"_s;
        QTest::newRow("below range shown as stored, steps into it")
            << QVariant(5) << true << 1 << 15 << u"5"_s;
        QTest::newRow("above range shown as stored, steps down")
            << QVariant(700) << false << 1 << 690 << u"700"_s;
    }

    void stepperMovesInTensWithinTheRange()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, up);
        QFETCH(int, clicks);
        QFETCH(int, expected);
        QFETCH(QString, shownBefore);
        if (stored.isValid())
            Settings::shared().setValue(QString(SettingsKey::historyLimit), stored);
        auto page = showPage<HistoryPreferencesView>(pageSize, *m_history, m_world->services());
        QVERIFY(page);
        QCOMPARE(page->limitBox()->text(), shownBefore);

        QToolButton* button =
            up ? page->limitStepper()->incrementButton() : page->limitStepper()->decrementButton();
        for (int i = 0; i < clicks; ++i) {
            if (button->isEnabled())
                click(button);
        }

        QCOMPARE(Settings::shared().intValue(QString(SettingsKey::historyLimit)), expected);
        QCOMPARE(page->limitBox()->text(), QString::number(expected));
        QCOMPARE(page->limitStepper()->decrementButton()->isEnabled(), expected > 10);
        QCOMPARE(page->limitStepper()->incrementButton()->isEnabled(), expected < 500);
        // Each step that moved reports the new limit as text; a refused step reports nothing.
        const QList<SignalParameters> sent = m_world->settingsChanged;
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.last(), changed("historyLimit", "history", qPrintable(QString::number(expected))));
    }

    void clearHistoryAsksFirst()
    {
        m_history->addItem(ClipboardItem(ClipboardItemType::text(u"first"_s)));
        m_history->addItem(ClipboardItem(ClipboardItemType::text(u"second"_s)));
        m_history->togglePin(m_history->history().first().id());
        auto page = showPage<HistoryPreferencesView>(pageSize, *m_history, m_world->services());
        QVERIFY(page);
        QVERIFY(!page->notSavedNotice()); // saved as usual

        click(page->clearButton());
        QCOMPARE(m_world->alerts.shown.size(), 1);
        m_world->alerts.choose(qtTrId("clear_history_alert_cancel"));
        QCOMPARE(m_history->history().size(), 2);
        // Confirmed, it empties the history, pinned items included.
        click(page->clearButton());
        m_world->alerts.choose(qtTrId("clear_history_alert_confirm"));
        QCOMPARE(m_history->history().size(), 0);
        QVERIFY(m_world->settingsChanged.isEmpty());
    }

    // A history file that can be neither read (EIO) nor moved aside (nothing is renamed in /proc),
    // for every user: the page says the history is not saved (clearHistoryAsksFirst: no notice).
    void historyPageSaysWhenNothingIsSaved()
    {
        m_history = std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(u"/proc/self/mem"_s));
        auto page = showPage<HistoryPreferencesView>(pageSize, *m_history, m_world->services());
        QVERIFY(page);
        QVERIFY(page->notSavedNotice() && page->notSavedNotice()->isVisible());
        QCOMPARE(page->notSavedNotice()->text(),
                 qtTrId("preferences_history_not_saved_notice").arg(u"/proc/self/mem"_s));
    }

    void ignoredApplicationsAndSizeCapAreEdited()
    {
        m_world->applications.setRunningApplications({u"Firefox"_s, u"gedit"_s});
        auto page = showPage<HistoryPreferencesView>(pageSize, *m_history, m_world->services());
        QVERIFY(page);
        const auto stored = [] {
            return Settings::shared().stringListValue(SettingsKey::ignoredApplications);
        };
        const auto shown = [&page] {
            QStringList names;
            for (int i = 0; i < page->ignoredList()->count(); ++i)
                names << page->ignoredList()->item(i)->text();
            return names;
        };
        const QStringList defaults{u"KeePassXC"_s, u"KeePass"_s, u"Bitwarden"_s,
                                   u"1Password"_s, u"Enpass"_s,  u"Seahorse"_s};
        QCOMPARE(shown(), defaults);
        QCOMPARE(page->applicationChooser()->count(), 2);

        // A running application, a typed name, and a name already listed in another case.
        page->applicationChooser()->setCurrentIndex(1);
        click(page->addIgnoredButton());
        page->applicationChooser()->setEditText(u" keepassxc "_s);
        click(page->addIgnoredButton());
        page->applicationChooser()->setFocus();
        page->applicationChooser()->setEditText(u"My Vault"_s);
        QTest::keyClick(page->applicationChooser(), Qt::Key_Return);
        QCOMPARE(stored(), defaults + QStringList({u"gedit"_s, u"My Vault"_s}));
        QCOMPARE(shown(), stored());

        // Removing every entry keeps an empty list rather than bringing the defaults back.
        page->ignoredList()->selectAll();
        click(page->removeIgnoredButton());
        QCOMPARE(stored(), QStringList());
        QCOMPARE(shown(), QStringList());

        QCOMPARE(page->maxItemSizeBox()->value(), 50);
        page->maxItemSizeBox()->setValue(900);
        QCOMPARE(Settings::shared().intValue(SettingsKey::maxItemSizeMB), 500);
        QCOMPARE(m_world->settingsChanged.last(), changed("maxItemSizeMB", "history", "500"));

        // Encryption: off unless set; the switch stores it, and follows a write made elsewhere.
        QVERIFY(!page->encryptSwitch()->isChecked());
        click(page->encryptSwitch());
        QVERIFY(Settings::shared().boolValue(SettingsKey::encryptHistory));
        QCOMPARE(m_world->settingsChanged.last(), changed("encryptHistory", "history", "true"));
        Settings::shared().setValue(SettingsKey::encryptHistory, false);
        QVERIFY(!page->encryptSwitch()->isChecked());
    }

    void secretsSettingIsEditedAndFollowsTheStore()
    {
        Settings::shared().setValue(SettingsKey::disabledSensitiveKinds, QStringList{u"card_number"_s});
        auto page = showPage<HistoryPreferencesView>(pageSize, *m_history, m_world->services());
        QVERIFY(page);
        QCOMPARE(page->sensitiveMinutesBox()->value(), 5);
        QCOMPARE(page->sensitiveKindBoxes().size(), SensitiveText::kinds().size());
        const auto box = [&page](const QString& id) {
            return page->findChild<QCheckBox*>(u"sensitiveKind_"_s + id);
        };
        QVERIFY(box(u"github_token"_s)->isChecked());
        QVERIFY(!box(u"card_number"_s)->isChecked());

        page->sensitiveMinutesBox()->setValue(0);
        QCOMPARE(Settings::shared().intValue(SettingsKey::sensitiveItemMinutes), 0);
        QCOMPARE(m_world->settingsChanged.last(), changed("sensitiveItemMinutes", "history", "0"));

        // Each kind's choice is kept on its own; clicked on its box, where a person clicks.
        const auto tick = [&box](const QString& id) {
            QTest::mouseClick(box(id), Qt::LeftButton, {}, QPoint(8, box(id)->height() / 2));
        };
        tick(u"private_key"_s);
        tick(u"card_number"_s);
        QCOMPARE(Settings::shared().stringListValue(SettingsKey::disabledSensitiveKinds),
                 QStringList{u"private_key"_s});
        Settings::shared().remove(SettingsKey::disabledSensitiveKinds);
        QVERIFY(box(u"private_key"_s)->isChecked());
        Settings::shared().setValue(SettingsKey::sensitiveItemMinutes, 30);
        QCOMPARE(page->sensitiveMinutesBox()->value(), 30);
    }

    // Appearance and language

    void stylePickerShowsTheStoredStyleAndStoresTheOtherAndThemeChangesAreReported_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("modern");
        QTest::newRow("modern") << u"modern"_s << true;
        QTest::newRow("Modern with a capital M is classic") << u"Modern"_s << false;
    }

    void stylePickerShowsTheStoredStyleAndStoresTheOtherAndThemeChangesAreReported()
    {
        QFETCH(QString, stored);
        QFETCH(bool, modern);
        // The environment starts out of line with the stored text.
        AppEnvironment::shared().setAppearanceStyle(modern ? AppearanceStyle::Classic
                                                           : AppearanceStyle::Modern);
        Settings::shared().setValue(QString(SettingsKey::appearanceStyle), stored);

        auto page = open<AppearancePreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->stylePicker()->currentIndex(), modern ? 1 : 0);
        QCOMPARE(AppEnvironment::shared().appearanceStyle(),
                 modern ? AppearanceStyle::Modern : AppearanceStyle::Classic);
        QCOMPARE(page->panelSizeBlock()->isVisible(), modern);
        if (modern) { // its reset button forgets the stored height
            Settings::shared().setValue(QString(SettingsKey::windowHeight), 800.0);
            QSignalSpy reset(&AppEnvironment::shared(), &AppEnvironment::windowHeightReset);
            click(page->resetHeightButton());
            QCOMPARE(Settings::shared().doubleValue(QString(SettingsKey::windowHeight)), 0.0);
            QCOMPARE(reset.count(), 1);
        }
        QVERIFY(m_world->settingsChanged.isEmpty());

        pick(page->stylePicker(), qtTrId(modern ? "appearance_option_classic" : "appearance_option_modern"));
        QCOMPARE(Settings::shared().stringValue(SettingsKey::appearanceStyle),
                 modern ? u"classic"_s : u"modern"_s);
        QCOMPARE(AppEnvironment::shared().appearanceStyle(),
                 modern ? AppearanceStyle::Classic : AppearanceStyle::Modern);
        QCOMPARE(page->panelSizeBlock()->isVisible(), !modern);

        // The theme is reported whoever writes it, once for each change of what it reads as.
        for (const QString& theme : {u"Dark"_s, u"Dark"_s, u"dark"_s /* System */, u"Light"_s})
            Settings::shared().setValue(QString(SettingsKey::selectedAppTheme), theme);
        const auto theme = [](const char* value) { return changed("theme", "appearance", value); };
        QCOMPARE(m_world->settingsChanged,
                 (QList<SignalParameters>{changed("appearanceStyle", "appearance"), theme("Dark"),
                                          theme("System"), theme("Light")}));
    }

    void languagePickerShowsTheStoredLanguageAndStoresTheChoice_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written"); // null when nothing changes
        // Choosing Portuguese is tst_preferenceswindow's retranslation case.
        QTest::newRow("pt") << u"pt"_s << u"language_option_portuguese"_s << u"language_option_system"_s
                            << u"system"_s;
        QTest::newRow("en, chosen again")
            << u"en"_s << u"language_option_english"_s << u"language_option_english"_s << QString();
        QTest::newRow("an unknown text reads as system")
            << u"fr"_s << u"language_option_system"_s << u"language_option_english"_s << u"en"_s;
    }

    void languagePickerShowsTheStoredLanguageAndStoresTheChoice()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        if (!stored.isNull())
            Settings::shared().setValue(QString(SettingsKey::selectedLanguage), stored);
        auto page = open<LanguagePreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->languagePicker()->currentText(), qtTrId(shown.toUtf8().constData()));

        pick(page->languagePicker(), qtTrId(chosen.toUtf8().constData()));
        QCOMPARE(Settings::shared().stringValue(SettingsKey::selectedLanguage),
                 written.isNull() ? stored : written);
        if (written.isNull()) {
            QVERIFY(m_world->settingsChanged.isEmpty());
            return;
        }
        QCOMPARE(AppEnvironment::shared().selectedLanguage(), written);
        // Back to English from Portuguese too: the system's language is English here.
        QCOMPARE(AppEnvironment::shared().locale().name(), u"en_US"_s);
        QCOMPARE(m_world->settingsChanged,
                 QList<SignalParameters>{changed("language", "language", qPrintable(written))});
    }

    // Permissions and about

    void permissionsPageShowsEachCapability_data()
    {
        QTest::addColumn<bool>("xtest");
        QTest::addColumn<bool>("xinput");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("helpPage");
        // Each row shows one capability granted and the other missing, whose help page (shipped in
        // each language, with both sections) its button opens.
        QTest::newRow("accessibility missing") << false << true << u"en"_s << u"/help/permissions.html"_s;
        QTest::newRow("input monitoring missing")
            << true << false << u"pt"_s << u"/help/permissions.pt.html"_s;
    }

    void permissionsPageShowsEachCapability()
    {
        QFETCH(bool, xtest);
        QFETCH(bool, xinput);
        QFETCH(QString, language);
        QFETCH(QString, helpPage);
        m_world->capabilities.setCanSynthesizeInput(xtest);
        m_world->capabilities.setCanMonitorInput(xinput);
        auto page = open<PermissionsPreferencesView>();
        QVERIFY(page);

        QCOMPARE(page->accessibility().requestButton != nullptr, !xtest);
        QCOMPARE(page->inputMonitoring().requestButton != nullptr, !xinput);
        click(xtest ? page->inputMonitoring().requestButton : page->accessibility().requestButton);
        QCOMPARE(m_world->openedUrls, QList<QUrl>{xtest ? PermissionsManager::inputMonitoringSettingsURL()
                                                        : PermissionsManager::accessibilitySettingsURL()});

        AppEnvironment::shared().setLanguage(language);
        HelpViewer* viewer = HelpViewer::showPage(m_world->openedUrls.first());
        QVERIFY(viewer);
        QCOMPARE(viewer->currentPage().path(), helpPage);
        const QString html = viewer->browser()->toHtml();
        QVERIFY(html.contains(u"XInput 2"_s) && html.contains(u"XTEST"_s));
        viewer->close();
    }

    void aboutPageShowsVersionCheckboxLinksAndSiblingCard()
    {
        auto page = open<AboutPreferencesView>();
        QVERIFY(page);
        QCOMPARE(page->versionLabel()->text(), u"Versão 1.4 (27)"_s);
        QVERIFY(page->checkAutomaticallyBox()->isChecked());
        click(page->checkAutomaticallyBox());
        QCOMPARE(Settings::shared().value(QString(SettingsKey::checkUpdatesAutomatically)), QVariant(false));
        QCOMPARE(mainBundleInfo().value(u"CFBundleShortVersionString"_s).toString(),
                 QStringLiteral(OVELIN_TEST_VERSION));

        for (QAbstractButton* link : {page->officialSiteLink(), page->privacyPolicyLink(),
                                      page->feedbackLink(), page->learnMoreLink()})
            click(link);
        // Hosts aside, the addresses are fixed: the site reads their campaign parameters.
        QStringList opened;
        for (const QUrl& url : m_world->openedUrls)
            opened << url.scheme() + u' ' + url.path() + u'?' + url.query();
        const QString organic = u"utm_source=app&utm_medium=about&utm_campaign=organic&utm_content="_s;
        QCOMPARE(opened,
                 (QStringList{u"https /?"_s + organic + u"official_site"_s,
                              u"https /privacy?"_s + organic + u"privacy"_s, opened.value(2),
                              u"https /?utm_source=ovelin_app&utm_medium=about&utm_campaign=crosspromo"_s}));
        QCOMPARE(m_world->openedUrls.at(1).host(), m_world->openedUrls.at(0).host());
        QVERIFY(m_world->openedUrls.at(3).host() != m_world->openedUrls.at(0).host());
        QVERIFY(opened.at(2).startsWith(u"mailto "_s) && opened.at(2).contains(u'@'));
    }

    // A session that reports its capabilities row by row and never gives the pointer's motion
    // (Wayland).

    void waylandRowsShowFoundOrWhatToDo_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("taken");
        QTest::newRow("all found") << true << false;
        QTest::newRow("all missing (weston)") << false << false;
        // Keys the desktop's own configuration uses are left to it, and the row says so.
        QTest::newRow("shortcut keys taken by the desktop") << false << true;
    }

    void waylandRowsShowFoundOrWhatToDo()
    {
        QFETCH(bool, found);
        QFETCH(bool, taken);
        using Kind = SessionCapability::Kind;
        QList<SessionCapability> session;
        for (Kind kind : {Kind::ClipboardAccess, Kind::Paste, Kind::FrontmostApplication, Kind::Shortcut,
                          Kind::Placement, Kind::PointerMotion})
            session.append({kind, found && kind != Kind::PointerMotion, {}, taken && kind == Kind::Shortcut});
        m_world->capabilities.setSession(session, false);
        auto page = open<PermissionsPreferencesView>();
        QVERIFY(page);

        // Clipboard, paste, shortcut, placement: nothing to grant, so no buttons anywhere.
        QCOMPARE(page->sessionRows().size(), 4);
        for (const auto& row : page->sessionRows()) {
            QCOMPARE(row.granted, found);
            QVERIFY(!row.requestButton);
        }
        QVERIFY(!page->inputMonitoring().granted);
        QVERIFY(!page->inputMonitoring().requestButton);
        QVERIFY(showsText(page.get(), qtTrId("permissions_pointer_unavailable_description")));
        QVERIFY(!showsText(page.get(), qtTrId("permissions_accessibility_title")));
        // Each missing one says what to do; the shortcut names this executable's toggle command.
        const QStringList whatToDo{qtTrId("permissions_clipboard_missing"),
                                   qtTrId("permissions_paste_missing"),
                                   qtTrId("permissions_placement_missing")};
        for (const QString& text : whatToDo)
            QCOMPARE(showsText(page.get(), text), !found);
        QCOMPARE(
            showsText(page.get(),
                      qtTrId("permissions_shortcut_missing").arg(GlobalShortcutService::toggleCommand())),
            !found && !taken);
        QCOMPARE(showsText(page.get(), qtTrId("permissions_shortcut_taken")), taken);
    }

    // On KWin a copy that no desktop entry names gets no paste: the row offers to write one.
    void pasteRowOffersTheDesktopEntryKwinNeeds()
    {
        m_world->capabilities.setSession({{SessionCapability::Kind::Paste, false, {}}}, false);
        m_world->capabilities.setMissesDesktopEntry(true, false);
        auto page = open<PermissionsPreferencesView>();
        QVERIFY(page);
        QVERIFY(showsText(page.get(), qtTrId("permissions_paste_desktop_entry_missing")));
        QPushButton* button = page->sessionRows().constFirst().requestButton;
        QVERIFY(button);
        QCOMPARE(button->text(), qtTrId("permissions_desktop_entry_button"));
        // Refused: the reason, and the button to try again.
        click(button);
        QCOMPARE(button->text(), qtTrId("permissions_desktop_entry_failed").arg(u"disk full"_s));
        QVERIFY(button->isEnabled());
        m_world->capabilities.setMissesDesktopEntry(true, true);
        click(button);
        QCOMPARE(button->text(), qtTrId("permissions_desktop_entry_written"));
        QVERIFY(!button->isEnabled());
    }

    void shakeSwitchIsUnavailableOnWaylandAndKeepsTheStoredChoice()
    {
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), true);
        m_world->capabilities.setSession({}, false);
        auto page = open<GeneralPreferencesView>();
        QVERIFY(page);
        QVERIFY(!page->shakeSwitch()->isEnabled());
        QVERIFY(!page->shakeSwitch()->isChecked());
        QVERIFY(!page->shakeModifierBlock()->isVisible());
        QVERIFY(page->shakeUnavailableReason() && page->shakeUnavailableReason()->isVisible());

        click(page->shakeSwitch());
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), false);
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), true);
        QVERIFY(!page->shakeSwitch()->isChecked());
        QVERIFY(Settings::shared().boolValue(QString(SettingsKey::enableShakeGesture)));
        QVERIFY(m_world->settingsChanged.isEmpty());
    }
};

OVELIN_TEST_MAIN(PreferencePagesTest)
#include "tst_preferencepages.moc"
