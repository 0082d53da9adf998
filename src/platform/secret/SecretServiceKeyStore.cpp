#include "platform/secret/SecretServiceKeyStore.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <libsecret/secret.h>

namespace {

const SecretSchema* schema()
{
    static const SecretSchema historyKey = [] {
        SecretSchema schema{};
        schema.name = "app.ovelin.Ovelin.HistoryKey";
        schema.flags = SECRET_SCHEMA_NONE;
        schema.attributes[0] = {"file", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return schema;
    }();
    return &historyKey;
}

struct GObjectDeleter
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct Error
{
    GError* error = nullptr;
    ~Error()
    {
        if (error)
            g_error_free(error);
    }
    QString text() const
    {
        return error ? QString::fromUtf8(error->message) : QStringLiteral("erro desconhecido");
    }
};

// Cancels the calls under way once the time is up: a prompt that nobody answers must not hold the
// saving thread for ever.
class Deadline
{
public:
    explicit Deadline(std::chrono::milliseconds timeout) : m_cancellable(g_cancellable_new())
    {
        m_thread = std::thread([this, timeout] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, timeout, [this] { return m_finished; }))
                g_cancellable_cancel(m_cancellable.get());
        });
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    GCancellable* cancellable() const { return m_cancellable.get(); }
    bool expired() const { return g_cancellable_is_cancelled(m_cancellable.get()); }

private:
    GObjectPtr<GCancellable> m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

using Status = HistoryKeyStore::Status;

HistoryKeyStore::Result failure(Status status, const QString& error)
{
    return {status, {}, error};
}

} // namespace

SecretServiceKeyStore::SecretServiceKeyStore(QString historyFile, std::chrono::milliseconds promptTimeout)
    : m_historyFile(std::move(historyFile)), m_promptTimeout(promptTimeout)
{
}

HistoryKeyStore::Result SecretServiceKeyStore::lookup()
{
    Deadline deadline(m_promptTimeout);
    Error error;
    GObjectPtr<SecretService> service(
        secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, deadline.cancellable(), &error.error));
    if (!service)
        return failure(Status::Unavailable, QStringLiteral("Secret Service indisponível: ") + error.text());

    const QByteArray file = m_historyFile.toUtf8();
    GHashTable* attributes = secret_attributes_build(schema(), "file", file.constData(), nullptr);
    GList* items = secret_service_search_sync(service.get(), schema(), attributes, SECRET_SEARCH_ALL,
                                              deadline.cancellable(), &error.error);
    g_hash_table_unref(attributes);
    if (error.error)
        return failure(Status::Unavailable, QStringLiteral("Secret Service indisponível: ") + error.text());
    if (!items)
        return failure(Status::NotFound, QStringLiteral("A chave do histórico não está no chaveiro."));
    GObjectPtr<SecretItem> item(SECRET_ITEM(g_object_ref(items->data)));
    g_list_free_full(items, g_object_unref);

    if (secret_item_get_locked(item.get())) {
        // The keyring's own prompt; answered once, at start, and the key then stays in memory.
        GList* toUnlock = g_list_append(nullptr, item.get());
        GList* unlocked = nullptr;
        secret_service_unlock_sync(service.get(), toUnlock, deadline.cancellable(), &unlocked, &error.error);
        g_list_free(toUnlock);
        const bool opened = unlocked != nullptr;
        g_list_free_full(unlocked, g_object_unref);
        if (!opened) {
            if (deadline.expired())
                return failure(Status::Locked, QStringLiteral("o chaveiro está bloqueado e o pedido de "
                                                              "desbloqueio não foi respondido"));
            if (error.error && !g_error_matches(error.error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
                return failure(Status::Locked, QStringLiteral("o chaveiro está bloqueado: ") + error.text());
            return failure(Status::Locked,
                           QStringLiteral("o chaveiro está bloqueado e o desbloqueio foi recusado"));
        }
    }
    if (!secret_item_load_secret_sync(item.get(), deadline.cancellable(), &error.error))
        return failure(Status::Unavailable,
                       QStringLiteral("a chave do histórico não pôde ser lida: ") + error.text());
    SecretValue* value = secret_item_get_secret(item.get());
    if (!value)
        return failure(Status::Locked, QStringLiteral("o chaveiro está bloqueado"));
    gsize length = 0;
    const gchar* text = secret_value_get(value, &length);
    const QByteArray key = QByteArray::fromBase64(QByteArray(text, qsizetype(length)));
    secret_value_unref(value);
    return {Status::Found, key, {}};
}

HistoryKeyStore::Result SecretServiceKeyStore::store(const QByteArray& key)
{
    Deadline deadline(m_promptTimeout);
    Error error;
    const QByteArray file = m_historyFile.toUtf8();
    const QByteArray text = key.toBase64();
    const gboolean stored = secret_password_store_sync(
        schema(), SECRET_COLLECTION_DEFAULT, "Ovelin history key", text.constData(), deadline.cancellable(),
        &error.error, "file", file.constData(), nullptr);
    if (stored)
        return {Status::Found, key, {}};
    if (deadline.expired())
        return failure(Status::Locked,
                       QStringLiteral("o chaveiro está bloqueado e o pedido de desbloqueio não "
                                      "foi respondido"));
    return failure(Status::Unavailable,
                   QStringLiteral("a chave do histórico não pôde ser guardada no chaveiro: ") + error.text());
}
