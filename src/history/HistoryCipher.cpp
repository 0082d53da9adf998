#include "history/HistoryCipher.h"

#include <cstring>

#include <sodium.h>

namespace HistoryCipher {

namespace {

constexpr char magic[] = "OVELINX";
constexpr qsizetype magicSize = 7;
constexpr char version = 1;
constexpr qsizetype nonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype tagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
static_assert(headerSize == magicSize + 1 + nonceSize);
static_assert(keySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);

bool ready()
{
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

} // namespace

bool isEncrypted(QByteArrayView file)
{
    return file.size() >= magicSize && std::memcmp(file.data(), magic, magicSize) == 0;
}

QByteArray generateKey()
{
    QByteArray key(keySize, Qt::Uninitialized);
    if (!ready())
        return {};
    randombytes_buf(key.data(), size_t(key.size()));
    return key;
}

QByteArray encrypt(QByteArrayView plain, const QByteArray& key)
{
    if (!ready() || key.size() != keySize)
        return {};
    QByteArray out(headerSize + plain.size() + tagSize, Qt::Uninitialized);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    std::memcpy(bytes, magic, magicSize);
    bytes[magicSize] = static_cast<unsigned char>(version);
    randombytes_buf(bytes + magicSize + 1, nonceSize);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        bytes + headerSize, &written, reinterpret_cast<const unsigned char*>(plain.data()),
        static_cast<unsigned long long>(plain.size()), bytes, headerSize, nullptr, bytes + magicSize + 1,
        reinterpret_cast<const unsigned char*>(key.constData()));
    out.resize(headerSize + qsizetype(written));
    return out;
}

DecryptResult decrypt(QByteArrayView file, const QByteArray& key)
{
    if (!ready())
        return {{}, QStringLiteral("libsodium não inicializou")};
    if (!isEncrypted(file))
        return {{}, QStringLiteral("O arquivo não é um histórico criptografado.")};
    if (file.size() < headerSize + tagSize)
        return {{}, QStringLiteral("O histórico criptografado está incompleto.")};
    if (file.at(magicSize) != version)
        return {{},
                QStringLiteral("Versão desconhecida do histórico criptografado: %1")
                    .arg(int(static_cast<unsigned char>(file.at(magicSize))))};
    if (key.size() != keySize)
        return {{}, QStringLiteral("A chave do histórico tem tamanho inválido.")};
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    QByteArray plain(file.size() - headerSize - tagSize, Qt::Uninitialized);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr, bytes + headerSize,
            static_cast<unsigned long long>(file.size() - headerSize), bytes, headerSize,
            bytes + magicSize + 1, reinterpret_cast<const unsigned char*>(key.constData())) != 0) {
        return {{},
                QStringLiteral("O histórico criptografado não abre com a chave guardada (chave errada ou "
                               "arquivo alterado).")};
    }
    plain.resize(qsizetype(length));
    return {std::move(plain), {}};
}

void wipe(QByteArray& bytes)
{
    // A buffer shared with another holder is left to it: only this reference goes.
    if (!bytes.isEmpty() && bytes.isDetached())
        sodium_memzero(bytes.data(), size_t(bytes.size()));
    bytes.clear();
}

} // namespace HistoryCipher
