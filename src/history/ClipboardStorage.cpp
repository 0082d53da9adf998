#include "history/ClipboardStorage.h"

#include <cerrno>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Console.h"
#include "history/HistoryCipher.h"
#include "history/HistoryFileCodec.h"
#include "history/HistoryKeyStore.h"

namespace {

constexpr auto ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr auto ownerOnlyFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Ovelin");
}

// The history holds whatever the user copied: its folder is private to the user.
bool ensurePrivateFolder(const QString& folder, QString* error)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        *error = QStringLiteral("Não foi possível criar a pasta %1").arg(folder);
        return false;
    }
    QFile::setPermissions(folder, ownerOnlyFolder);
    return true;
}

// Only a file that is not there is a history that never was; any other failure to look at it
// (no permission on the folder, a disk error) is not.
bool isMissing(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// Decodes the file from a read-only mapping and hands back the pages already decoded as it goes,
// so that the file's bytes and the decoded items are never in memory whole at the same time.
HistoryFileCodec::DecodeResult decodeMapped(QFile& file)
{
    const qint64 size = file.size();
    uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    if (!mapped) {
        const QByteArray bytes = file.readAll();
        // A read error would otherwise look like an empty or cut-off file.
        if (file.error() != QFileDevice::NoError)
            return {{}, file.errorString()};
        return HistoryFileCodec::decode(bytes);
    }
    const auto page = static_cast<qsizetype>(sysconf(_SC_PAGESIZE));
    qsizetype released = 0;
    const auto consumed = [&](qsizetype bytes) {
        const qsizetype end = bytes / page * page;
        if (end - released >= (qsizetype(4) << 20)) {
            madvise(mapped + released, size_t(end - released), MADV_DONTNEED);
            released = end;
        }
    };
    HistoryFileCodec::DecodeResult result =
        HistoryFileCodec::decode(QByteArrayView(reinterpret_cast<const char*>(mapped), size), consumed);
    file.unmap(mapped);
    return result;
}

HistoryCipher::DecryptResult decryptMapped(QFile& file, const QByteArray& key)
{
    const qint64 size = file.size();
    uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    if (!mapped)
        return HistoryCipher::decrypt(file.readAll(), key);
    HistoryCipher::DecryptResult result =
        HistoryCipher::decrypt(QByteArrayView(reinterpret_cast<const char*>(mapped), size), key);
    file.unmap(mapped);
    return result;
}

} // namespace

ClipboardStorage::ClipboardStorage(const QString& fileName)
    : ClipboardStorage(PathTag{}, dataFolder() + QLatin1Char('/') + fileName)
{
}

std::unique_ptr<ClipboardStorage> ClipboardStorage::atPath(const QString& path)
{
    return std::unique_ptr<ClipboardStorage>(new ClipboardStorage(PathTag{}, path));
}

ClipboardStorage::ClipboardStorage(PathTag, QString path) : m_filePath(std::move(path))
{
    m_worker = std::thread([this] { run(); });
}

void ClipboardStorage::setKeyStore(std::unique_ptr<HistoryKeyStore> keyStore)
{
    std::lock_guard lock(m_keyMutex);
    m_keyStore = std::move(keyStore);
    m_key.clear();
    m_keyFailure.clear();
}

void ClipboardStorage::setEncrypted(bool encrypted)
{
    std::lock_guard lock(m_mutex);
    // Switching is the user's doing: a keyring that failed before is asked again.
    if (m_encrypted != encrypted)
        m_retryKey = true;
    m_encrypted = encrypted;
}

bool ClipboardStorage::isEncrypted() const
{
    std::lock_guard lock(m_mutex);
    return m_encrypted;
}

ClipboardStorage::Key ClipboardStorage::key(bool create)
{
    std::lock_guard lock(m_keyMutex);
    if (m_retryKey.exchange(false))
        m_keyFailure.clear();
    if (!m_key.isEmpty())
        return {m_key, true, false, {}};
    if (!m_keyFailure.isEmpty())
        return {{}, false, true, m_keyFailure};
    if (!m_keyStore) {
        m_keyFailure = QStringLiteral("nenhum chaveiro disponível");
        return {{}, false, true, m_keyFailure};
    }
    HistoryKeyStore::Result found = m_keyStore->lookup();
    if (found.status == HistoryKeyStore::Status::Found && found.key.size() == HistoryCipher::keySize) {
        m_key = found.key;
        return {m_key, true, false, {}};
    }
    if (found.status == HistoryKeyStore::Status::Unavailable ||
        found.status == HistoryKeyStore::Status::Locked) {
        m_keyFailure = found.error;
        return {{}, false, true, m_keyFailure};
    }
    if (!create)
        return {{}, false, false, QStringLiteral("A chave do histórico não está no chaveiro.")};
    // The key goes into the keyring before any file is sealed with it.
    const QByteArray fresh = HistoryCipher::generateKey();
    HistoryKeyStore::Result stored = m_keyStore->store(fresh);
    if (stored.status != HistoryKeyStore::Status::Found) {
        m_keyFailure = stored.error;
        return {{}, false, true, m_keyFailure};
    }
    m_key = fresh;
    return {m_key, true, false, {}};
}

ClipboardStorage::~ClipboardStorage()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

QList<ClipboardItem> ClipboardStorage::load()
{
    static const QString failure =
        QStringLiteral("⚠️ Nenhum histórico encontrado ou erro ao carregar: ");
    if (isMissing(m_filePath)) {
        ovelin::printLine(failure +
                          QStringLiteral("O arquivo “%1” não existe.").arg(QFileInfo(m_filePath).fileName()));
        return {};
    }
    QFile file(m_filePath);
    QString error;
    if (file.open(QIODevice::ReadOnly)) {
        HistoryFileCodec::DecodeResult result;
        if (HistoryCipher::isEncrypted(file.peek(HistoryCipher::headerSize))) {
            const Key found = key(false);
            if (found.outOfReach) {
                // Nothing wrong with the file: the key is only out of reach now. It stays as it is.
                {
                    std::lock_guard lock(m_keyMutex);
                    m_keepFileReason = found.error;
                }
                ovelin::printLine(QStringLiteral("🔒 Histórico criptografado não aberto (") + found.error +
                                  QStringLiteral("): o arquivo fica intacto e o histórico desta sessão fica "
                                                 "só na memória."));
                return {};
            }
            result.error = found.error;
            if (found.found) {
                HistoryCipher::DecryptResult opened = decryptMapped(file, found.bytes);
                result = opened.ok() ? HistoryFileCodec::decode(opened.plain)
                                     : HistoryFileCodec::DecodeResult{{}, opened.error};
                HistoryCipher::wipe(opened.plain);
            }
        } else {
            result = decodeMapped(file);
        }
        if (result.ok())
            return std::move(result.items);
        error = result.error;
    } else {
        error = file.errorString();
    }
    file.close();
    ovelin::printLine(failure + error);
    keepAside();
    return {};
}

// Whatever could not be read (one bad byte, no read permission, a disk error) may still hold the
// user's whole history: it is moved out of the way before any save could replace it.
void ClipboardStorage::keepAside()
{
    const QString aside = m_filePath + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    if (QFile::rename(m_filePath, aside)) {
        ovelin::printLine(QStringLiteral("🗂️ Histórico ilegível guardado em: ") + aside);
        return;
    }
    ovelin::printLine(QStringLiteral("❌ Não foi possível guardar o histórico ilegível: ") + m_filePath);
    // It could not be moved, so it stays where every save would overwrite it.
    m_savingStopped = true;
    ovelin::printLine(
        QStringLiteral("🛑 O histórico não será salvo até o app ser reiniciado, para não "
                       "sobrescrever: ") +
        m_filePath);
}

void ClipboardStorage::save(QList<ClipboardItem> items)
{
    if (m_savingStopped)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(items);
    }
    m_wake.notify_one();
}

void ClipboardStorage::waitForPendingSaves()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_writing; });
}

void ClipboardStorage::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending) // stopping, nothing left to write
            break;
        // Only the newest snapshot matters: older ones waiting behind a slow write are dropped.
        QList<ClipboardItem> snapshot = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();
        write(snapshot);
        snapshot.clear();
        lock.lock();
        m_writing = false;
        if (!m_pending)
            m_idle.notify_all();
    }
    m_idle.notify_all();
}

void ClipboardStorage::write(const QList<ClipboardItem>& items)
{
    QString error;
    if (writeFile(items, &error)) {
        m_failing = false;
        return;
    }
    // A full disk or a read-only folder fails every save the same way until it is mended: the
    // first failure is reported, the rest would only repeat it once per capture.
    if (!m_failing)
        ovelin::printLine(QStringLiteral("❌ Erro ao salvar histórico: ") + error);
    m_failing = true;
}

bool ClipboardStorage::writeFile(const QList<ClipboardItem>& items, QString* error)
{
    // Recreated when the folder was deleted while Ovelin runs.
    {
        std::lock_guard lock(m_keyMutex);
        if (!m_keepFileReason.isEmpty()) {
            *error = QStringLiteral(
                         "o histórico criptografado não foi aberto nesta sessão e não será substituído (") +
                     m_keepFileReason + u')';
            return false;
        }
    }
    if (!ensurePrivateFolder(QFileInfo(m_filePath).absolutePath(), error))
        return false;
    QByteArray bytes = HistoryFileCodec::encode(items);
    if (isEncrypted()) {
        const Key sealing = key(true);
        if (!sealing.found) {
            HistoryCipher::wipe(bytes);
            *error = QStringLiteral("chave do histórico indisponível: ") + sealing.error;
            return false;
        }
        QByteArray sealed = HistoryCipher::encrypt(bytes, sealing.bytes);
        HistoryCipher::wipe(bytes);
        if (sealed.isEmpty()) {
            *error = QStringLiteral("não foi possível criptografar o histórico");
            return false;
        }
        bytes = std::move(sealed);
    }

    // Written beside the file and renamed over it, so a crash or a full disk mid-write leaves
    // the previous file; a failed write removes its temporary file.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.setPermissions(ownerOnlyFile);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
