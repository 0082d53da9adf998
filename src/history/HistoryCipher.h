#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// The encrypted form of the history file: a header (the magic bytes "OVELINX", a version byte,
/// a 24-byte nonce) followed by the JSON sealed with XChaCha20-Poly1305 (libsodium), the header
/// authenticated with it. A plain history file starts with '[', so the two never look alike.
namespace HistoryCipher {

constexpr qsizetype keySize = 32;
constexpr qsizetype headerSize = 7 + 1 + 24;

/// True when `file` starts with the encrypted file's magic bytes (whatever follows).
bool isEncrypted(QByteArrayView file);
/// 32 random bytes.
QByteArray generateKey();
/// Seals `plain` with a fresh random nonce. `key` must hold keySize bytes.
QByteArray encrypt(QByteArrayView plain, const QByteArray& key);

struct DecryptResult
{
    QByteArray plain;
    /// Empty on success; otherwise why the file does not open (and no bytes).
    QString error;
    bool ok() const { return error.isEmpty(); }
};
/// Opens a file written by encrypt: a wrong key, a flipped byte or a cut file fails, never
/// yields bytes.
DecryptResult decrypt(QByteArrayView file, const QByteArray& key);

/// Overwrites the bytes of `bytes` (decrypted or about-to-be-encrypted history) before they are freed.
void wipe(QByteArray& bytes);

} // namespace HistoryCipher
