#include "app/AppDelegate.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "common/Console.h"
#include "core/Notifications.h"
#include "core/Settings.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "history/HistoryKeyStore.h"
#include "panel/ContentView.h"
#include "panel/CustomPanel.h"
#include "panel/FloatingWindowController.h"
#include "panel/WindowManager.h"
#include "platform/LoginItemService.h"
#include "preferences/PreferencesWindowController.h"

namespace {

QPointer<AppDelegate> sharedDelegate;

// The history file, opened with its key from the desktop's keyring when it is encrypted.
std::unique_ptr<ClipboardHistory> applicationHistory(const StartupServices& services)
{
    auto storage = std::make_unique<ClipboardStorage>(QStringLiteral("clipboard_history.json"));
    if (services.historyKeyStore)
        storage->setKeyStore(services.historyKeyStore(storage->filePath()));
    storage->setEncrypted(Settings::shared().boolValue(SettingsKey::encryptHistory));
    return std::make_unique<ClipboardHistory>(std::move(storage));
}

// The section switch waits until the window has shown its default page.
constexpr int selectSectionDelayMs = 200;

} // namespace

AppDelegate::AppDelegate(StartupServices services, QObject* parent)
    : AppDelegate(services, applicationHistory(services), parent)
{
}

AppDelegate::AppDelegate(StartupServices services, std::unique_ptr<ClipboardHistory> history, QObject* parent)
    : QObject(parent), m_services(std::move(services)),
      m_history(history ? std::move(history) : std::make_unique<ClipboardHistory>())
{
    // The history knows nothing of settings: its limits are handed to it, now and on every change.
    const auto applyLimit = [this] {
        m_history->setLimit(Settings::shared().intValue(QString(SettingsKey::historyLimit)));
        m_history->setSensitiveLifetime(
            std::chrono::minutes(Settings::shared().intValue(SettingsKey::sensitiveItemMinutes)));
    };
    applyLimit();
    connect(&Settings::shared(), &Settings::valueChanged, this, [applyLimit](const QString& key) {
        if (key == QStringView(SettingsKey::historyLimit) || key == SettingsKey::sensitiveItemMinutes)
            applyLimit();
    });
    // Turning encryption on or off rewrites the file at once, in one atomic replace.
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key != SettingsKey::encryptHistory)
            return;
        const bool encrypt = Settings::shared().boolValue(SettingsKey::encryptHistory);
        if (encrypt == m_history->storage().isEncrypted())
            return;
        m_history->storage().setEncrypted(encrypt);
        m_history->rewriteFile();
    });
}

AppDelegate::~AppDelegate()
{
    // The monitor and the panel's root view refer to the history: they go first.
    m_clipboardMonitor.reset();
    m_floatingWindowController.reset();
    m_preferencesWindowController.reset();
}

AppDelegate* AppDelegate::shared()
{
    return sharedDelegate.data();
}

ContentView* AppDelegate::contentView() const
{
    return m_contentView;
}

bool AppDelegate::launchAtLogin() const
{
    return Settings::shared().boolValue(QString(SettingsKey::launchAtLogin));
}

SignalParameters AppDelegate::launchParameters(const QVariantMap& bundleInfo)
{
    const auto text = [&bundleInfo](const QString& key) {
        const QVariant value = bundleInfo.value(key);
        return value.typeId() == QMetaType::QString ? value.toString() : QStringLiteral("unknown");
    };
    return {{QStringLiteral("appVersion"), text(QStringLiteral("CFBundleShortVersionString"))},
            {QStringLiteral("build"), text(QStringLiteral("CFBundleVersion"))}};
}

void AppDelegate::applicationDidFinishLaunching()
{
    ovelin::printLine(QStringLiteral("🚀 OvelinApp iniciado com AppDelegate ✅"));
    if (m_services.initializeAnalytics)
        m_services.initializeAnalytics();
    if (m_services.sendSignal)
        m_services.sendSignal(AppSignal::AppLaunched, launchParameters(m_services.bundleInfo));
    if (m_services.startUpdater)
        m_services.startUpdater();
    sharedDelegate = this;
    applyLaunchAtLogin();
    setupFloatingWindow();
    startClipboardMonitor();
    if (m_services.registerShortcut)
        m_services.registerShortcut(Settings::shared().stringValue(QString(SettingsKey::shortcutKey)));
    if (m_services.startShakeMonitoring)
        m_services.startShakeMonitoring();
}

void AppDelegate::applyLaunchAtLogin()
{
    LoginItemService* loginItem = m_services.loginItem;
    if (!loginItem)
        return;
    const bool wish = launchAtLogin();
    const bool enabled = loginItem->isEnabled();
    QString error;
    bool succeeded = true;
    if (wish && !enabled)
        succeeded = loginItem->registerItem(&error);
    else if (!wish && enabled)
        succeeded = loginItem->unregisterItem(&error);
    if (!succeeded)
        ovelin::printLine(QStringLiteral("🚫 Erro ao aplicar login automático: ") + error);
}

void AppDelegate::setupFloatingWindow()
{
    WindowManager::shared().setFrontmostApplicationService(m_services.frontmostApplication);
    WindowManager::shared().setWindowSystem(m_services.windowSystem);
    // An earlier panel goes first: its controller lets go of what the new one sets up.
    m_floatingWindowController.reset();
    auto* root = new ContentView(*m_history, AppEnvironment::shared(), m_services.itemActions);
    m_contentView = root;
    m_floatingWindowController = std::make_unique<FloatingWindowController>(root, m_services.windowSystem);
    m_floatingWindowController->showWindow();
}

void AppDelegate::startClipboardMonitor()
{
    // One monitor for the life of the process, however often the sequence runs.
    if (!m_clipboardMonitor && m_services.startClipboardMonitor)
        m_clipboardMonitor = m_services.startClipboardMonitor(*m_history);
}

void AppDelegate::openPreferencesWindow()
{
    if (!m_preferencesWindowController)
        m_preferencesWindowController =
            std::make_unique<PreferencesWindowController>(*m_history, m_services.preferences);
    m_preferencesWindowController->showWindow();
    if (QWidget* window = m_preferencesWindowController->window()) {
        window->raise();
        window->activateWindow();
    }
}

void AppDelegate::showPreferences()
{
    ovelin::printLine(QStringLiteral("🧩 showPreferences() foi chamado"));
    openPreferencesWindow();
    if (m_services.sendSignal)
        m_services.sendSignal(AppSignal::PreferencesOpened,
                              {{QStringLiteral("section"), QStringLiteral("unknown")}});
}

void AppDelegate::showPreferences(PreferencesSection section)
{
    openPreferencesWindow();
    if (m_services.sendSignal)
        m_services.sendSignal(AppSignal::PreferencesOpened,
                              {{QStringLiteral("section"), sectionName(section)}});
    QTimer::singleShot(selectSectionDelayMs, &Notifications::shared(), [section] {
        Q_EMIT Notifications::shared().selectPreferencesSection(QVariant::fromValue(section));
    });
}
