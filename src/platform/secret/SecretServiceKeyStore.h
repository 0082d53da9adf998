#pragma once

#include <chrono>

#include "history/HistoryKeyStore.h"

/// The history key in the desktop's Secret Service (GNOME Keyring, KWallet, KeePassXC) through
/// libsecret: Base64 text under the schema "app.ovelin.Ovelin.HistoryKey", one item per history
/// file. Every call is a blocking D-Bus call; a locked keyring shows its own unlock prompt, and a
/// prompt still unanswered after `promptTimeout` counts as declined.
class SecretServiceKeyStore : public HistoryKeyStore
{
public:
    explicit SecretServiceKeyStore(QString historyFile,
                                   std::chrono::milliseconds promptTimeout = std::chrono::minutes(2));

    Result lookup() override;
    Result store(const QByteArray& key) override;

private:
    QString m_historyFile;
    std::chrono::milliseconds m_promptTimeout;
};
