#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "history/HistoryKeyStore.h"

/// An in-memory keyring for the history key. The keyring outlives the stores made on it, as the
/// desktop's does across restarts; `answer` makes it unreachable (Unavailable, Locked).
struct FakeKeyring
{
    std::mutex mutex;
    std::optional<QByteArray> key;
    HistoryKeyStore::Status answer = HistoryKeyStore::Status::Found;
    int lookups = 0;
    int stores = 0;
};

class FakeHistoryKeyStore : public HistoryKeyStore
{
public:
    explicit FakeHistoryKeyStore(std::shared_ptr<FakeKeyring> keyring) : m_keyring(std::move(keyring)) {}

    Result lookup() override
    {
        std::lock_guard lock(m_keyring->mutex);
        ++m_keyring->lookups;
        if (unreachable())
            return {m_keyring->answer, {}, QStringLiteral("chaveiro de teste fora de alcance")};
        if (!m_keyring->key)
            return {Status::NotFound, {}, QStringLiteral("sem chave")};
        return {Status::Found, *m_keyring->key, {}};
    }
    Result store(const QByteArray& key) override
    {
        std::lock_guard lock(m_keyring->mutex);
        ++m_keyring->stores;
        if (unreachable())
            return {m_keyring->answer, {}, QStringLiteral("chaveiro de teste fora de alcance")};
        m_keyring->key = key;
        return {Status::Found, key, {}};
    }

private:
    bool unreachable() const
    {
        return m_keyring->answer == Status::Unavailable || m_keyring->answer == Status::Locked;
    }
    std::shared_ptr<FakeKeyring> m_keyring;
};
