#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "PrintedLines.h"
#include "TestMain.h"
#include "app/AppDelegate.h"
#include "app/OvelinApp.h"
#include "common/Console.h"
#include "core/AppEnvironment.h"
#include "core/Notifications.h"
#include "core/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryCipher.h"
#include "panel/CustomPanel.h"
#include "panel/FloatingWindowController.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"
#include "panel/WindowManager.h"
#include "paste/PasteManager.h"
#include "platform/fake/FakeHistoryKeyStore.h"
#include "platform/fake/FakeLoginItemService.h"
#include "platform/fake/FakeWindowSystem.h"
#include "preferences/PreferencesWindowController.h"

using namespace Qt::StringLiterals;

namespace {

QString describe(const SignalParameters& parameters)
{
    QStringList pairs;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        pairs.append(it.key() + u'=' + it.value());
    pairs.sort();
    return pairs.join(u' ');
}

// The shell's own start-up lines; other parts print lines of their own in between.
bool isStartupLine(const QString& line)
{
    return line.startsWith(u"🚀"_s) || line.startsWith(u"🎯"_s) || line.startsWith(u"🔍"_s) ||
           line.startsWith(u"🚫"_s);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QStringList m_calls;
    int m_monitorsStarted = 0;
    FakeLoginItemService m_loginItem;
    FakeWindowSystem m_windowSystem;
    std::unique_ptr<AppDelegate> m_delegate;

    static QString sharedState() { return AppDelegate::shared() ? u"set"_s : u"none"_s; }

    StartupServices recordingServices()
    {
        StartupServices services;
        services.initializeAnalytics = [this] { m_calls << u"initializeAnalytics"_s; };
        services.sendSignal = [this](AppSignal signal, const SignalParameters& parameters) {
            m_calls << u"send "_s + signalName(signal) + u' ' + describe(parameters);
        };
        services.startUpdater = [this] { m_calls << u"startUpdater shared="_s + sharedState(); };
        services.loginItem = &m_loginItem;
        services.registerShortcut = [this](const QString& text) {
            QWidget* panel = WindowManager::shared().window();
            m_calls << u"registerShortcut "_s + text +
                           (panel && panel->isVisible() ? u" panel=shown"_s : u" panel=none"_s);
        };
        services.startShakeMonitoring = [this] { m_calls << u"startShakeMonitoring"_s; };
        services.startClipboardMonitor = [this](ClipboardHistory&) {
            ++m_monitorsStarted;
            m_calls << u"startClipboardMonitor"_s;
            return std::make_unique<QObject>();
        };
        services.windowSystem = &m_windowSystem;
        services.bundleInfo = {{u"CFBundleShortVersionString"_s, u"1.4.0"_s},
                               {u"CFBundleVersion"_s, u"27"_s}};
        return services;
    }

    void launch()
    {
        m_delegate = std::make_unique<AppDelegate>(recordingServices());
        ovelin::setLineObserverForTesting([this](const QString& line) {
            if (isStartupLine(line))
                m_calls << u"print "_s + line;
        });
        m_delegate->applicationDidFinishLaunching();
        ovelin::setLineObserverForTesting({});
    }

private Q_SLOTS:
    void init()
    {
        QSettings().clear();
        AppEnvironment::shared().reload();
        m_calls.clear();
        m_monitorsStarted = 0;
        m_loginItem = FakeLoginItemService();
    }

    void cleanup()
    {
        m_delegate.reset();
        AppEnvironment::shared().setLanguage(u"en"_s);
    }

    // The stored shortcut is registered once the panel shows; the monitor starts once, however
    // often the panel comes and goes.
    void firstLaunchRunsEveryStepInOrder()
    {
        Settings::shared().setValue(SettingsKey::shortcutKey, u"⌥⇧K"_s);
        launch();
        const QStringList expected{
            u"print 🚀 OvelinApp iniciado com AppDelegate ✅"_s,
            u"initializeAnalytics"_s,
            u"send AppLaunched appVersion=1.4.0 build=27"_s,
            u"startUpdater shared=none"_s,
            u"print 🎯 Nível de janela após setar .floating: 3"_s,
            u"print 🔍 Janela registrada com nível: 3"_s,
            u"startClipboardMonitor"_s,
            u"registerShortcut ⌥⇧K panel=shown"_s,
            u"startShakeMonitoring"_s,
        };
        QCOMPARE(m_calls, expected);
        // The login item was consulted after the shared reference was set, and left alone.
        QCOMPARE(m_loginItem.calls, QStringList{u"isEnabled"_s});
        QCOMPARE(AppDelegate::shared(), m_delegate.get());
        QWidget* panel = m_delegate->floatingWindowController()->window();
        QCOMPARE(WindowManager::shared().window(), panel);
        QVERIFY(!QSettings().contains(SettingsKey::launchAtLogin));
        QVERIFY(m_delegate->clipboardMonitor());
        for (int i = 0; i < 100; ++i) {
            WindowManager::shared().toggleWindow(u"shortcut"_s);
            WindowManager::shared().toggleWindow(u"shortcut"_s);
        }
        QVERIFY(panel->isVisible());
        QCOMPARE(m_monitorsStarted, 1);
        m_delegate.reset(); // the shared reference ends with the delegate
        QCOMPARE(AppDelegate::shared(), nullptr);
    }

    void launchAtLogin_data()
    {
        QTest::addColumn<bool>("wish");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("failWrites");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("enabledAfter");
        QTest::addColumn<QString>("line");

        const QString isEnabled = u"isEnabled"_s;
        const QString reg = u"register"_s;
        const QString unreg = u"unregister"_s;
        const QString prefix = u"🚫 Erro ao aplicar login automático: "_s;
        QTest::newRow("wanted, absent: registered")
            << true << false << false << QStringList{isEnabled, reg} << true << QString();
        QTest::newRow("wanted, absent, write fails: one line")
            << true << false << true << QStringList{isEnabled, reg} << false
            << prefix + u"fake register failure"_s;
        QTest::newRow("wanted, present: no call")
            << true << true << false << QStringList{isEnabled} << true << QString();
        QTest::newRow("unwanted, present: removed")
            << false << true << false << QStringList{isEnabled, unreg} << false << QString();
        QTest::newRow("unwanted, present, removal fails: one line")
            << false << true << true << QStringList{isEnabled, unreg} << true
            << prefix + u"fake unregister failure"_s;
        QTest::newRow("unwanted, absent: no call")
            << false << false << false << QStringList{isEnabled} << false << QString();
    }

    void launchAtLogin()
    {
        QFETCH(bool, wish);
        QFETCH(bool, enabled);
        QFETCH(bool, failWrites);
        QFETCH(QStringList, calls);
        QFETCH(bool, enabledAfter);
        QFETCH(QString, line);

        Settings::shared().setValue(SettingsKey::launchAtLogin, wish);
        m_loginItem.enabled = enabled;
        m_loginItem.failWrites = failWrites;
        m_delegate = std::make_unique<AppDelegate>(recordingServices());
        ovelin::test::PrintedLines lines;
        m_delegate->applyLaunchAtLogin();

        QCOMPARE(m_loginItem.calls, calls);
        QCOMPARE(m_loginItem.enabled, enabledAfter);
        QCOMPARE(lines.lines(), line.isEmpty() ? QStringList() : QStringList{line});
        // The wish itself is never changed by a failure.
        QCOMPARE(Settings::shared().boolValue(SettingsKey::launchAtLogin), wish);
    }

    // Opened on a section, the window is made and shown at once and the section chosen a moment
    // later; opened again, the same window comes back.
    void preferencesOpenOneReusedWindowAndSwitchToTheSectionAfterADelay()
    {
        launch();
        m_calls.clear();
        ovelin::test::PrintedLines lines;
        QSignalSpy switched(&Notifications::shared(), &Notifications::selectPreferencesSection);
        m_delegate->showPreferences(PreferencesSection::History);
        PreferencesWindowController* controller = m_delegate->preferencesWindowController();
        QVERIFY(controller);
        QWidget* window = controller->window();
        QVERIFY(window->isVisible());
        QCOMPARE(lines.count(u"🧩"_s), 0);
        QCOMPARE(switched.count(), 0);

        window->close();
        m_delegate->showPreferences();
        QCOMPARE(m_delegate->preferencesWindowController(), controller);
        QCOMPARE(controller->window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(lines.count(u"🧩 showPreferences() foi chamado"_s), 1);
        QCOMPARE(m_calls, (QStringList{u"send PreferencesOpened section=history"_s,
                                       u"send PreferencesOpened section=unknown"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(switched.count(), 1, 10000);
        QCOMPARE(switched.first().first().value<QVariant>().value<PreferencesSection>(),
                 PreferencesSection::History);
    }

    void theApplicationFollowsTheLanguage()
    {
        AppEnvironment::shared().setLanguage(u"en"_s);
        OvelinApp app(recordingServices());
        app.launch();
        QTRY_VERIFY(AppDelegate::shared() == &app.delegate());
        MenuBarContent* menu = app.statusItem()->content();
        QCOMPARE(menu->items().at(MenuBarContent::ShowItem)->text(), u"Show History"_s);

        AppEnvironment::shared().setLanguage(u"pt"_s);
        QTRY_COMPARE(menu->items().at(MenuBarContent::ShowItem)->text(), u"Mostrar Histórico"_s);
        QCOMPARE(QLocale().name(), u"pt_BR"_s);
        AppEnvironment::shared().setLanguage(u"en"_s);
        QTRY_COMPARE(menu->items().at(MenuBarContent::ShowItem)->text(), u"Show History"_s);
    }

    // The switch rewrites the running history's file at once, sealed with a key made in the
    // keyring, and back in the clear; a restart opens the sealed file with that key.
    void encryptionSwitchRewritesTheFile()
    {
        auto keyring = std::make_shared<FakeKeyring>();
        const auto servicesWithKeyring = [&] {
            StartupServices services = recordingServices();
            services.historyKeyStore = [keyring](const QString&) -> std::unique_ptr<HistoryKeyStore> {
                return std::make_unique<FakeHistoryKeyStore>(keyring);
            };
            return services;
        };
        m_delegate = std::make_unique<AppDelegate>(servicesWithKeyring());
        ClipboardStorage& storage = m_delegate->history().storage();
        m_delegate->history().addItem(ClipboardItem(ClipboardItemType::text(u"hunter2"_s)));
        const auto file = [&] {
            m_delegate->history().storage().waitForPendingSaves();
            QFile saved(m_delegate->history().storage().filePath());
            return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
        };
        QVERIFY(file().contains("hunter2"));

        Settings::shared().setValue(SettingsKey::encryptHistory, true);
        QVERIFY(storage.isEncrypted());
        QVERIFY(HistoryCipher::isEncrypted(file()));
        QVERIFY(!file().contains("hunter2"));
        QVERIFY(keyring->key);

        m_delegate = std::make_unique<AppDelegate>(servicesWithKeyring());
        QCOMPARE(m_delegate->history().history().size(), 1);
        QCOMPARE(m_delegate->history().history().first().type().text(), u"hunter2"_s);

        Settings::shared().setValue(SettingsKey::encryptHistory, false);
        QVERIFY(file().contains("hunter2"));
        QCOMPARE(keyring->stores, 1);
        QFile::remove(m_delegate->history().storage().filePath());
    }

    // Images pasted as files go with their history items, and all of them at quit.
    void pastedImagesFollowTheHistory()
    {
        OvelinApp app(recordingServices());
        app.launch();
        ClipboardHistory& history = app.delegate().history();
        QDir folder(qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/Ovelin"_s);
        const auto paste = [&](char fill) {
            history.addItem(ClipboardItem(ClipboardItemType::image(QByteArray(64, fill))));
            const QStringList before = folder.entryList(QDir::Files);
            PasteManager::shared().copyToPasteboard(history.history().first());
            const QStringList after = folder.entryList(QDir::Files);
            return after.size() == before.size() + 1 ? history.history().first().id() : QUuid();
        };
        const QUuid first = paste('a');
        const QUuid second = paste('b');
        QVERIFY(!first.isNull() && !second.isNull());
        history.deleteItem(first);
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
        QVERIFY(folder.entryList(QDir::Files).isEmpty());
    }
};

OVELIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
