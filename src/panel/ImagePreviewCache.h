#pragma once

#include <memory>

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QUuid>

class QThreadPool;
class MainThreadRelay;

/// Image rows' previews: each item's bytes are decoded once, on a worker thread, and kept
/// scaled to the row's frame, so scrolling and filtering never decode on the GUI thread.
class ImagePreviewCache : public QObject
{
    Q_OBJECT
public:
    enum class Status
    {
        Pending,
        Ready,
        Undecodable
    };

    /// `frame` is the largest preview in points; `devicePixelRatio` its pixel density.
    explicit ImagePreviewCache(QSize frame, qreal devicePixelRatio, QObject* parent = nullptr);
    ~ImagePreviewCache() override;

    /// The preview of item `id`; the first call starts decoding `bytes`.
    Status preview(const QUuid& id, const QByteArray& bytes, QImage* image);
    /// Drops previews of items no longer in the history.
    void retainOnly(const QList<QUuid>& ids);
    void waitForIdle();

Q_SIGNALS:
    void previewReady(const QUuid& id);

private:
    struct Entry
    {
        Status status = Status::Pending;
        QImage image;
    };

    QSize m_pixelFrame;
    qreal m_devicePixelRatio;
    QHash<QUuid, Entry> m_entries;
    std::shared_ptr<MainThreadRelay> m_relay;
    std::unique_ptr<QThreadPool> m_pool;
};
