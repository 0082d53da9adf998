// Feeds arbitrary bytes to the history-file decoder: it must never crash, and whatever it
// accepts must encode and decode back to the same items. The fast path and the general decoder
// must agree on every input.
#include <cstdint>
#include <cstdlib>

#include "history/HistoryFileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto decoded = HistoryFileCodec::decode(bytes);
    const auto general = HistoryFileCodec::decodeDocument(bytes);
    if (decoded.error != general.error || !(decoded.items == general.items))
        std::abort();
    if (!decoded.ok())
        return 0;
    const auto again = HistoryFileCodec::decode(HistoryFileCodec::encode(decoded.items));
    if (!again.ok() || again.items.size() != decoded.items.size())
        std::abort();
    for (qsizetype i = 0; i < decoded.items.size(); ++i) {
        const ClipboardItem& a = decoded.items[i];
        const ClipboardItem& b = again.items[i];
        // Dates that are not finite cannot be written as JSON numbers; everything else must survive.
        if (a.id() != b.id() || !(a.type() == b.type()) || a.isPinned() != b.isPinned() ||
            a.richTextRTF() != b.richTextRTF() || a.richTextHTML() != b.richTextHTML())
            std::abort();
    }
    return 0;
}
