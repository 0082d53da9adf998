#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "history/ClipboardItem.h"

/// The history file's format: a compact UTF-8 JSON array of item objects, keys in a fixed
/// order, dates in seconds since 2001-01-01 UTC, binary data as standard Base64.
namespace HistoryFileCodec {

QByteArray encode(const QList<ClipboardItem>& items);

struct DecodeResult
{
    QList<ClipboardItem> items;
    /// Empty on success; otherwise what was wrong, and no items.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

/// Decodes a whole file: one bad item fails the whole array.
DecodeResult decode(const QByteArray& json);

} // namespace HistoryFileCodec
