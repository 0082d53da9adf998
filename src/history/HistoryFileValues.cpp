#include "history/HistoryFileValues.h"

#include <array>
#include <optional>

namespace HistoryFileCodec::detail {

namespace {

// Strict standard Base64 with padding, four characters at a time; none for anything else, which
// QByteArray then decodes or rejects. Images make most of a history file, so this is its cost.
std::optional<QByteArray> decodeBase64Quickly(QByteArrayView in)
{
    static const std::array<qint8, 256> values = [] {
        std::array<qint8, 256> table;
        table.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            table[static_cast<unsigned char>(alphabet[i])] = qint8(i);
        return table;
    }();
    const qsizetype size = in.size();
    if (size % 4 != 0)
        return std::nullopt;
    if (size == 0)
        return QByteArray();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const int padding = p[size - 1] != '=' ? 0 : p[size - 2] != '=' ? 1 : 2;
    QByteArray out(size / 4 * 3 - padding, Qt::Uninitialized);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const qsizetype fullQuads = size / 4 - (padding ? 1 : 0);
    for (qsizetype q = 0; q < fullQuads; ++q, p += 4, o += 3) {
        const int a = values[p[0]], b = values[p[1]], c = values[p[2]], d = values[p[3]];
        if ((a | b | c | d) < 0)
            return std::nullopt;
        const auto v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6 | uint32_t(d);
        o[0] = uchar(v >> 16);
        o[1] = uchar(v >> 8);
        o[2] = uchar(v);
    }
    if (padding) {
        const int a = values[p[0]], b = values[p[1]], c = padding == 1 ? values[p[2]] : 0;
        if ((a | b | c) < 0)
            return std::nullopt;
        const auto v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6;
        o[0] = uchar(v >> 16);
        if (padding == 1)
            o[1] = uchar(v >> 8);
    }
    return out;
}

} // namespace

QByteArray base64(QByteArrayView bytes, const QString& key)
{
    if (auto quick = decodeBase64Quickly(bytes))
        return std::move(*quick);
    auto result = QByteArray::fromBase64Encoding(QByteArray::fromRawData(bytes.data(), bytes.size()),
                                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!result || bytes.size() % 4 != 0)
        throw DecodeError{QStringLiteral("Base64 inválido na chave \"%1\"").arg(key)};
    return std::move(*result);
}

QByteArray base64(const QString& text, const QString& key)
{
    return base64(QByteArrayView(text.toLatin1()), key);
}

QUrl url(const QString& text)
{
    const QUrl parsed(text, QUrl::StrictMode);
    if (!parsed.isValid() || text.isEmpty())
        throw DecodeError{QStringLiteral("URL inválida: %1").arg(text.left(200))};
    // Held in the form the writer produces, so a save writes back exactly what was read.
    return QUrl(parsed.toString(QUrl::FullyEncoded), QUrl::StrictMode);
}

QUuid uuid(const QString& text)
{
    static const QString nil = QStringLiteral("00000000-0000-0000-0000-000000000000");
    const QUuid id = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (id.isNull() && text != nil)
        throw DecodeError{QStringLiteral("Identificador inválido: %1").arg(text.left(64))};
    return id;
}

} // namespace HistoryFileCodec::detail
