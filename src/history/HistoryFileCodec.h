#pragma once

#include <functional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "history/ClipboardItem.h"

/// The history file's format: a compact UTF-8 JSON array of item objects, keys in a fixed
/// order, dates in seconds since 2001-01-01 UTC, binary data as standard Base64.
namespace HistoryFileCodec {

/// Sensitive items are left out: they live in memory only.
QByteArray encode(const QList<ClipboardItem>& items);

struct DecodeResult
{
    QList<ClipboardItem> items;
    /// Empty on success; otherwise what was wrong, and no items.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

/// Decodes a whole file: one bad item fails the whole array. Files as the writer produces them
/// take a fast path that builds no JSON document; `consumed(n)` is then told as the first n bytes
/// are no longer needed (the caller may release them). Anything else goes through
/// decodeDocument, with the same result.
DecodeResult decode(QByteArrayView json, const std::function<void(qsizetype)>& consumed = {});
/// The general decoder, through a JSON document.
DecodeResult decodeDocument(const QByteArray& json);

} // namespace HistoryFileCodec
