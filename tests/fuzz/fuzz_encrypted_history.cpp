// Feeds arbitrary bytes to the encrypted history file's reader with a fixed key: it must never
// crash, and whatever it opens goes to the history decoder. The same bytes sealed with the key
// open back to themselves, and with one byte changed never open.
#include <cstdint>
#include <cstdlib>

#include "history/HistoryCipher.h"
#include "history/HistoryFileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QByteArray key(HistoryCipher::keySize, 'k');
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    const auto opened = HistoryCipher::decrypt(bytes, key);
    if (opened.ok())
        (void)HistoryFileCodec::decode(opened.plain);
    else if (!opened.plain.isEmpty())
        std::abort();

    QByteArray sealed = HistoryCipher::encrypt(bytes, key);
    const auto again = HistoryCipher::decrypt(sealed, key);
    if (!again.ok() || again.plain != bytes)
        std::abort();
    if (size > 0) {
        const qsizetype at = qsizetype(data[0]) * 257 % sealed.size();
        sealed[at] = char(sealed[at] ^ (1 + data[size - 1] % 255));
        if (HistoryCipher::decrypt(sealed, key).ok())
            std::abort();
    }
    return 0;
}
