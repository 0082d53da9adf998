#include "panel/ImagePreviewCache.h"

#include <QCoreApplication>
#include <QThreadPool>

#include "panel/MainThreadRelay.h"
#include "panel/ScaledImage.h"

ImagePreviewCache::ImagePreviewCache(QSize frame, qreal devicePixelRatio, QObject* parent)
    : QObject(parent), m_pixelFrame((QSizeF(frame) * devicePixelRatio).toSize()),
      m_devicePixelRatio(devicePixelRatio), m_relay(std::make_shared<MainThreadRelay>(this)),
      m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(2);
}

ImagePreviewCache::~ImagePreviewCache()
{
    m_relay->detach();
    m_pool->clear();
    m_pool->waitForDone();
}

ImagePreviewCache::Status ImagePreviewCache::preview(const QUuid& id, const QByteArray& bytes, QImage* image)
{
    auto it = m_entries.find(id);
    if (it != m_entries.end()) {
        if (image)
            *image = it->image;
        return it->status;
    }
    m_entries.insert(id, Entry{});
    std::shared_ptr<MainThreadRelay> relay = m_relay;
    const QSize pixelFrame = m_pixelFrame;
    const qreal dpr = m_devicePixelRatio;
    m_pool->start([this, relay, id, bytes, pixelFrame, dpr] {
        QImage decoded = decodeScaledImage(bytes, pixelFrame);
        decoded.setDevicePixelRatio(dpr);
        relay->post([this, id, decoded] {
            auto entry = m_entries.find(id);
            if (entry == m_entries.end())
                return;
            entry->image = decoded;
            entry->status = decoded.isNull() ? Status::Undecodable : Status::Ready;
            Q_EMIT previewReady(id);
        });
    });
    return Status::Pending;
}

void ImagePreviewCache::retainOnly(const QList<QUuid>& ids)
{
    QSet<QUuid> keep(ids.begin(), ids.end());
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (!keep.contains(it.key()))
            it = m_entries.erase(it);
        else
            ++it;
    }
}

void ImagePreviewCache::waitForIdle()
{
    m_pool->waitForDone();
    QCoreApplication::sendPostedEvents(this);
}
