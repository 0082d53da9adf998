#include "panel/FaviconLoader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

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
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/favicons");
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
    if (it == m_entries.constEnd()) {
        if (!m_networkEnabled)
            return {};
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
        if (reply->error() != QNetworkReply::NoError)
            return;
        QByteArray bytes = reply->read(maximumResponseBytes + 1);
        if (bytes.size() > maximumResponseBytes)
            return;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > 16 || size.height() > 16))
            reader.setScaledSize(size.scaled(16, 16, Qt::KeepAspectRatio));
        QImage image = reader.read();
        if (image.isNull())
            return;
        if (image.width() > 16 || image.height() > 16)
            image = image.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        entry.pixmap = QPixmap::fromImage(image);
        entry.status = Status::Ready;
        Q_EMIT faviconLoaded(faviconURL);
    });
}
