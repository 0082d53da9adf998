#pragma once

#include <memory>

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "preferences/PreferencesServices.h"

class AlertPresenter;
class QNetworkAccessManager;
class QTimer;
class QWidget;
struct UpdateFeed;

/// Ovelin's update check: an HTTP GET of the JSON feed on the product site, compared with the
/// running version and answered in a dialog ("up to date", "version X is available" with its
/// download link, or the error). GUI thread only; the request never blocks it.
///
/// Started once at launch. While "checkUpdatesAutomatically" is on, it also checks by itself
/// some minutes after the start and then daily, and speaks up only when a newer version is out.
class UpdaterManager : public QObject
{
    Q_OBJECT
public:
    static UpdaterManager& shared();
    ~UpdaterManager() override;

    /// Creates the updater; prints the start line, or the failure line and stays without one.
    /// Later calls do nothing.
    void start();
    /// Asks the feed now and answers in a dialog. Does nothing before a successful start, and
    /// while a check is already running.
    void checkForUpdates();

    bool isStarted() const { return m_network != nullptr; }
    bool isChecking() const { return m_reply != nullptr; }

    // Wiring, set before start (the application keeps the defaults; tests replace them).
    void setFeedUrl(const QUrl& url) { m_feedUrl = url; }
    void setAlertPresenter(AlertPresenter* alerts) { m_alerts = alerts; }
    void setUrlOpener(UrlOpener open) { m_open = std::move(open); }
    void setRunningVersion(const QString& version, const QString& build);
    /// Delay of the first automatic check after start, and the interval of the later ones.
    void setAutomaticCheckTiming(int firstDelayMs, int intervalMs);

Q_SIGNALS:
    /// A check ended (its dialog, if any, has been presented).
    void checkFinished();

private:
    enum class Mode
    {
        Interactive,
        Background
    };

    UpdaterManager();
    void check(Mode mode);
    void finish(Mode mode, const QByteArray& body, const QString& networkError);
    void presentAnswer(Mode mode, const std::optional<UpdateFeed>& feed, const QString& error);
    void automaticCheck();

    QUrl m_feedUrl;
    AlertPresenter* m_alerts = nullptr;
    UrlOpener m_open;
    QString m_runningVersion;
    QString m_runningBuild;
    std::unique_ptr<QNetworkAccessManager> m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_automaticTimer;
    int m_firstAutomaticDelayMs;
    int m_automaticIntervalMs;
};
