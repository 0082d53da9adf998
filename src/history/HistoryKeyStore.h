#pragma once

#include <QByteArray>
#include <QString>

/// Where the history file's key lives (the desktop's Secret Service in the application; a fake
/// in tests). Calls may block for a long time (a keyring prompt): never on the GUI thread
/// once the application runs.
class HistoryKeyStore
{
public:
    enum class Status
    {
        Found,
        /// The store answered and holds no key.
        NotFound,
        /// No store to ask (no Secret Service, no session bus) or it failed.
        Unavailable,
        /// The keyring is locked and the user declined or dismissed its prompt.
        Locked,
    };
    struct Result
    {
        Status status = Status::Unavailable;
        QByteArray key;
        /// What went wrong, for the console line.
        QString error;
    };

    virtual ~HistoryKeyStore() = default;
    /// The stored key; may ask the keyring to unlock (its own prompt).
    virtual Result lookup() = 0;
    /// Stores `key`, replacing any stored one; Found on success.
    virtual Result store(const QByteArray& key) = 0;
};
