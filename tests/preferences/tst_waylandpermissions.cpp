#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "PreferencesTestSupport.h"
#include "TestMain.h"
#include "core/Settings.h"
#include "platform/GlobalShortcutService.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/PermissionsPreferencesView.h"
#include "preferences/PreferencesWidgets.h"
#include "preferences/ShortcutFieldView.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

namespace {

bool showsText(const QWidget* page, const QString& text)
{
    for (const QLabel* label : page->findChildren<QLabel*>()) {
        if (label->isVisible() && label->text() == text)
            return true;
    }
    return false;
}

} // namespace

// The preferences of a session that reports its capabilities row by row and never gives the
// pointer's motion (Wayland).
class WaylandPermissionsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServices> m_world;
    QTranslator m_english;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_english.load(u":/i18n/ovelin_en.qm"_s));
        QCoreApplication::installTranslator(&m_english);
    }

    void init()
    {
        Settings::shared().remove(QString(SettingsKey::enableShakeGesture));
        m_world = std::make_unique<TestServices>();
    }

    void eachRowShowsFoundOrWhatToDo_data()
    {
        QTest::addColumn<bool>("found");
        QTest::newRow("all found") << true;
        QTest::newRow("all missing (weston)") << false;
    }

    void eachRowShowsFoundOrWhatToDo()
    {
        QFETCH(bool, found);
        using Kind = SessionCapability::Kind;
        QList<SessionCapability> session;
        for (Kind kind : {Kind::ClipboardAccess, Kind::Paste, Kind::FrontmostApplication, Kind::Shortcut,
                          Kind::Placement, Kind::PointerMotion})
            session.append({kind, found && kind != Kind::PointerMotion, {}});
        m_world->capabilities.setSession(session, false);
        auto page = showPage<PermissionsPreferencesView>(QSize(440, 700), m_world->services());
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
        const QStringList whatToDo{
            qtTrId("permissions_clipboard_missing"), qtTrId("permissions_paste_missing"),
            qtTrId("permissions_shortcut_missing").arg(GlobalShortcutService::toggleCommand()),
            qtTrId("permissions_placement_missing")};
        for (const QString& text : whatToDo)
            QCOMPARE(showsText(page.get(), text), !found);
    }

    // Keys the desktop's own configuration uses are left to it, and the row says so.
    void shortcutKeysTakenByTheDesktopAreNamed()
    {
        m_world->capabilities.setSession({{SessionCapability::Kind::Shortcut, false, {}, true}}, false);
        auto page = showPage<PermissionsPreferencesView>(QSize(440, 700), m_world->services());
        QVERIFY(page);
        QCOMPARE(page->sessionRows().size(), 1);
        QVERIFY(!page->sessionRows().constFirst().granted);
        QVERIFY(showsText(page.get(), qtTrId("permissions_shortcut_taken")));
        QVERIFY(!showsText(
            page.get(), qtTrId("permissions_shortcut_missing").arg(GlobalShortcutService::toggleCommand())));
    }

    // On KWin a copy that no desktop entry names gets no paste: the row offers to write one.
    void pasteRowOffersTheDesktopEntryKwinNeeds_data()
    {
        QTest::addColumn<bool>("installs");
        QTest::addColumn<QString>("answer");
        QTest::newRow("written") << true << qtTrId("permissions_desktop_entry_written");
        QTest::newRow("refused") << false << qtTrId("permissions_desktop_entry_failed").arg(u"disk full"_s);
    }
    void pasteRowOffersTheDesktopEntryKwinNeeds()
    {
        QFETCH(bool, installs);
        QFETCH(QString, answer);
        m_world->capabilities.setSession({{SessionCapability::Kind::Paste, false, {}}}, false);
        m_world->capabilities.setMissesDesktopEntry(true, installs);
        auto page = showPage<PermissionsPreferencesView>(QSize(440, 700), m_world->services());
        QVERIFY(page);
        QVERIFY(showsText(page.get(), qtTrId("permissions_paste_desktop_entry_missing")));
        QPushButton* button = page->sessionRows().constFirst().requestButton;
        QVERIFY(button);
        QCOMPARE(button->text(), qtTrId("permissions_desktop_entry_button"));
        click(button);
        QCOMPARE(button->text(), answer);
        QCOMPARE(button->isEnabled(), !installs);
    }

    void shakeSwitchIsUnavailableAndKeepsTheStoredChoice()
    {
        Settings::shared().setValue(QString(SettingsKey::enableShakeGesture), true);
        m_world->capabilities.setSession({}, false);
        auto page = showPage<GeneralPreferencesView>(QSize(440, 700), m_world->services());
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
        QVERIFY(m_world->settingsChanged().isEmpty());
    }
};

OVELIN_TEST_MAIN(WaylandPermissionsTest)
#include "tst_waylandpermissions.moc"
