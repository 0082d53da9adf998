#pragma once

#include <memory>

#include <QObject>
#include <QTranslator>

#include "app/StartupServices.h"

class AppDelegate;
class StatusItem;
class UnixSignalHandler;

/// The application: the one delegate, the status item with its menu, and the interface language
/// (the translator follows the language setting, so every widget is told to retranslate).
class OvelinApp : public QObject
{
    Q_OBJECT
public:
    explicit OvelinApp(StartupServices services, QObject* parent = nullptr);
    ~OvelinApp() override;

    /// Installs the language and the status item, then runs the start-up sequence once the event
    /// loop turns.
    void launch();

    AppDelegate& delegate() const { return *m_delegate; }
    StatusItem* statusItem() const { return m_statusItem.get(); }

    /// The compiled translation for a locale: Portuguese for any "pt" locale, English otherwise.
    static QString translationFile(const QLocale& locale);

private:
    void installLanguage();
    /// Quit on SIGTERM, SIGINT and SIGHUP; save and end when the display goes away; delete
    /// pasted images with their items and at quit.
    void installShutdownHandling();

    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<UnixSignalHandler> m_signalHandler;
    PlatformServices m_platform;
    std::function<void(std::function<void()>)> m_onDisplayLost;
};
