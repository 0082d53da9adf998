#pragma once

#include <exception>

#include <QString>

/// How an error came about; sent as "Beacon.Error.category".
enum class ErrorCategory
{
    thrownException,
    userInput,
    appState
};

/// "thrown-exception", "user-input" or "app-state".
QString errorCategoryRawValue(ErrorCategory category);

/// An error that carries a stable identifier of its own, so it can be reported as a signal.
class IdentifiableError
{
public:
    virtual ~IdentifiableError() = default;
    virtual QString id() const = 0;
    /// The human-readable description of the error.
    virtual QString localizedDescription() const = 0;
};

/// Pairs an error that has no identifier with one.
class AnyIdentifiableError : public IdentifiableError
{
public:
    AnyIdentifiableError(QString id, QString description);
    AnyIdentifiableError(QString id, const std::exception& error);

    QString id() const override { return m_id; }
    QString localizedDescription() const override { return m_description; }

private:
    QString m_id;
    QString m_description;
};
