#include "panel/SymbolPainter.h"

#include <QCache>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

} // namespace

namespace SymbolPainter {

bool exists(const QString& name)
{
    return QFile::exists(resourcePath(name));
}

QPixmap pixmap(const QString& name, const QSize& size, const QColor& color, qreal devicePixelRatio)
{
    static QCache<QString, QPixmap> cache(256);
    const QString key = name + u'|' + QString::number(size.width()) + u'x' + QString::number(size.height()) +
                        u'|' + color.name(QColor::HexArgb) + u'|' + QString::number(devicePixelRatio);
    if (const QPixmap* cached = cache.object(key))
        return *cached;

    const QSize pixelSize = (QSizeF(size) * devicePixelRatio).toSize();
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QSvgRenderer renderer(resourcePath(name));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        if (renderer.isValid())
            renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
        // Keep the drawing's shape, replace its colour.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), color);
    }
    auto* result = new QPixmap(QPixmap::fromImage(std::move(image)));
    result->setDevicePixelRatio(devicePixelRatio);
    const QPixmap copy = *result;
    cache.insert(key, result);
    return copy;
}

void paint(QPainter* painter, const QRectF& rect, const QString& name, const QColor& color)
{
    const qreal side = std::min(rect.width(), rect.height());
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize size(qRound(side), qRound(side));
    const QPixmap pm = pixmap(name, size, color, dpr);
    painter->drawPixmap(target, pm, QRectF(QPointF(0, 0), QSizeF(pm.size())));
}

} // namespace SymbolPainter
