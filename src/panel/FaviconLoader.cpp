#include "panel/FaviconLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

#include "panel/ScaledImage.h"

FaviconLoader& FaviconLoader::shared()
{
    static FaviconLoader* instance = new FaviconLoader;
    return *instance;
}

FaviconLoader::FaviconLoader() = default;

QNetworkAccessManager* FaviconLoader::network()
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        auto* cache = new QNetworkDiskCache(m_network);
        // The cached addresses name the sites of copied links: the folder is the user's alone.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u'/' +
                               QCoreApplication::applicationName() + QStringLiteral("/favicons");
        QDir().mkpath(folder);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        cache->setCacheDirectory(folder);
        cache->setMaximumCacheSize(8 * 1024 * 1024);
        m_network->setCache(cache);
        m_network->setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
        m_network->setTransferTimeout(10000);
    }
    return m_network;
}

QPixmap FaviconLoader::favicon(const QUrl& faviconURL)
{
    if (!faviconURL.isValid() || faviconURL.scheme() != u"https")
        return {};
    auto it = m_entries.constFind(faviconURL);
    const bool retry = it != m_entries.constEnd() && it->status == Status::Failed && it->retryAt.hasExpired();
    if (it == m_entries.constEnd() || retry) {
        if (m_networkEnabled)
            load(faviconURL);
        return {};
    }
    return it->status == Status::Ready ? it->pixmap : QPixmap();
}

void FaviconLoader::load(const QUrl& faviconURL)
{
    m_entries.insert(faviconURL, Entry{});
    QNetworkRequest request(faviconURL);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    QNetworkReply* reply = network()->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maximumResponseBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, faviconURL] {
        reply->deleteLater();
        Entry& entry = m_entries[faviconURL];
        entry.status = Status::Failed;
        entry.retryAt = QDeadlineTimer(m_retryInterval);
        if (reply->error() != QNetworkReply::NoError)
            return;
        const QByteArray bytes = reply->read(maximumResponseBytes + 1);
        if (bytes.size() > maximumResponseBytes)
            return;
        const QImage image = decodeScaledImage(bytes, QSize(16, 16));
        if (image.isNull())
            return;
        entry.pixmap = QPixmap::fromImage(image);
        entry.status = Status::Ready;
        Q_EMIT faviconLoaded(faviconURL);
    });
}
