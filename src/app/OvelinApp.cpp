#include "app/OvelinApp.h"

#include <QApplication>
#include <QTimer>

#include "app/AppDelegate.h"
#include "app/UnixSignalHandler.h"
#include "common/Console.h"
#include "core/AppEnvironment.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"
#include "panel/WindowManager.h"
#include "paste/PasteManager.h"
#include "paste/PasteSequence.h"

OvelinApp::OvelinApp(StartupServices services, QObject* parent)
    : QObject(parent), m_platform(services.platform), m_onDisplayLost(services.onDisplayLost)
{
    m_delegate = std::make_unique<AppDelegate>(std::move(services));
}

OvelinApp::~OvelinApp()
{
    // The last save reaches the disk while a second signal or a lost display still waits for
    // it; only then do they get their default, immediate end back.
    m_delegate->history().storage().waitForPendingSaves();
    if (m_onDisplayLost)
        m_onDisplayLost({});
    m_signalHandler.reset();
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

QString OvelinApp::translationFile(const QLocale& locale)
{
    return locale.language() == QLocale::Portuguese ? QStringLiteral(":/i18n/ovelin_pt_BR.qm")
                                                    : QStringLiteral(":/i18n/ovelin_en.qm");
}

void OvelinApp::installLanguage()
{
    const QLocale locale = AppEnvironment::shared().locale();
    QLocale::setDefault(locale);
    auto translator = std::make_unique<QTranslator>();
    const QString file = translationFile(locale);
    if (!translator->load(file)) {
        ovelin::printLine(QStringLiteral("⚠️ Tradução não encontrada: ") + file);
        return;
    }
    // Installing posts a language change to every widget; they retranslate themselves.
    QCoreApplication::installTranslator(translator.get());
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator = std::move(translator);
}

void OvelinApp::launch()
{
    installLanguage();
    connect(&AppEnvironment::shared(), &AppEnvironment::selectedLanguageChanged, this,
            &OvelinApp::installLanguage);

    m_statusItem = std::make_unique<StatusItem>();
    MenuBarContent* menu = m_statusItem->content();
    connect(menu, &MenuBarContent::showHistoryRequested, this, [this] {
        m_statusItem->menuWindow()->hide();
        WindowManager::shared().showAtCursor(QStringLiteral("unknown"));
    });
    connect(menu, &MenuBarContent::preferencesRequested, this, [this] {
        m_statusItem->menuWindow()->hide();
        if (AppDelegate* delegate = AppDelegate::shared())
            delegate->showPreferences();
    });
    connect(menu, &MenuBarContent::quitRequested, this, [] { QCoreApplication::quit(); });
    m_statusItem->install();

    // A paste hides Ovelin and gives the focus back to the window the panel was summoned over,
    // then types the paste keystroke there.
    PasteManager::installServices(m_platform);
    PasteSequence::shared().setHideApplicationHandler([] { WindowManager::shared().hideApplication(); });

    installShutdownHandling();
    QTimer::singleShot(0, m_delegate.get(), &AppDelegate::applicationDidFinishLaunching);
}

void OvelinApp::installShutdownHandling()
{
    // Images handed to other applications live only as long as their history items.
    ClipboardHistory* history = &m_delegate->history();
    connect(history, &ClipboardHistory::historyChanged, this,
            [history] { PasteManager::shared().releaseTemporaryImages(history->history()); });
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [] { PasteManager::shared().removeTemporaryImages(); });

    m_signalHandler = std::make_unique<UnixSignalHandler>();
    // The display is gone, so nothing can be shown any more; what was copied is kept.
    if (!m_onDisplayLost)
        return;
    m_onDisplayLost([history] {
        history->storage().waitForPendingSaves();
        PasteManager::shared().removeTemporaryImages();
    });
}
