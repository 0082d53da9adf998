#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QByteArray;
class QImageReader;

/// Decodes an image to fit `pixelFrame`, keeping its aspect ratio and never enlarging it.
/// Formats that can decode at the smaller size do so; the rest are scaled after decoding.
/// A null image, with the reader's error in `error`, when it cannot be decoded.
QImage readScaledImage(QImageReader& reader, QSize pixelFrame, QString* error = nullptr);
/// The same for encoded bytes (any format Qt reads, recognised from the bytes).
QImage decodeScaledImage(const QByteArray& bytes, QSize pixelFrame);
