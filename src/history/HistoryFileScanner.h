#pragma once

#include <functional>
#include <optional>

#include <QByteArrayView>
#include <QList>

#include "history/ClipboardItem.h"

namespace HistoryFileCodec::detail {

/// The fast path for files as the writer produces them: one pass over the bytes, no JSON
/// document. Nothing when it gives up; the general reader then has the last word.
std::optional<QList<ClipboardItem>> scan(QByteArrayView json, const std::function<void(qsizetype)>& consumed);

} // namespace HistoryFileCodec::detail
