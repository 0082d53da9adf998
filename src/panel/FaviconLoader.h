#pragma once

#include <chrono>

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QUrl>

class QNetworkAccessManager;

/// Site icons for copied links. Only the "https://<host>/favicon.ico" address derived from
/// the item goes out; responses are cached on disk in the caches folder, redirects must stay
/// on the same origin, and a failed icon is not asked for again for a day.
/// GUI thread only.
class FaviconLoader : public QObject
{
    Q_OBJECT
public:
    static FaviconLoader& shared();

    /// The icon at 16 × 16, or a null pixmap while it loads or after it failed.
    QPixmap favicon(const QUrl& faviconURL);
    /// Off: nothing is fetched and every icon reads as missing (tests, benchmarks).
    void setNetworkEnabled(bool enabled) { m_networkEnabled = enabled; }
    /// Replaces the network access (tests point it at a local server); owned by the caller.
    void setNetworkAccessManager(QNetworkAccessManager* network) { m_network = network; }
    /// How long a failed icon waits before it is asked for again.
    void setRetryInterval(std::chrono::milliseconds interval) { m_retryInterval = interval; }

    static constexpr qint64 maximumResponseBytes = 256 * 1024;

Q_SIGNALS:
    void faviconLoaded(const QUrl& faviconURL);

private:
    FaviconLoader();
    void load(const QUrl& faviconURL);
    QNetworkAccessManager* network();

    enum class Status
    {
        Loading,
        Ready,
        Failed
    };
    struct Entry
    {
        Status status = Status::Loading;
        QPixmap pixmap;
        QDeadlineTimer retryAt; // of a failed icon
    };
    QHash<QUrl, Entry> m_entries;
    QNetworkAccessManager* m_network = nullptr;
    bool m_networkEnabled = true;
    std::chrono::milliseconds m_retryInterval = std::chrono::hours(24);
};
