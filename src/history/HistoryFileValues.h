#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>
#include <QUuid>

// What the general reader and the fast scanner read the same way, so that both accept and refuse
// the same values.
namespace HistoryFileCodec::detail {

// Decoding fails with a description of the first problem found.
struct DecodeError
{
    QString description;
};

/// Strict standard Base64 with padding; throws DecodeError naming `key` otherwise.
QByteArray base64(QByteArrayView bytes, const QString& key);
QByteArray base64(const QString& text, const QString& key);
/// A non-empty, strictly valid URL, held in the form the writer produces.
QUrl url(const QString& text);
/// A 36-character UUID (the nil UUID included).
QUuid uuid(const QString& text);

} // namespace HistoryFileCodec::detail
