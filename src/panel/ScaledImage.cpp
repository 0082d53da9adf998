#include "panel/ScaledImage.h"

#include <QBuffer>
#include <QImageReader>

QImage readScaledImage(QImageReader& reader, QSize pixelFrame, QString* error)
{
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (original.isValid() &&
        (original.width() > pixelFrame.width() || original.height() > pixelFrame.height()))
        reader.setScaledSize(original.scaled(pixelFrame, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return {};
    }
    if (image.width() > pixelFrame.width() || image.height() > pixelFrame.height())
        image = image.scaled(pixelFrame, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage decodeScaledImage(const QByteArray& bytes, QSize pixelFrame)
{
    QByteArray data = bytes; // shares the buffer; QBuffer needs a non-const one
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readScaledImage(reader, pixelFrame);
}
