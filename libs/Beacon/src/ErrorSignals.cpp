#include "Beacon/ErrorSignals.h"

#include "Beacon/Beacon.h"

QString errorCategoryRawValue(ErrorCategory category)
{
    switch (category) {
    case ErrorCategory::thrownException:
        return QStringLiteral("thrown-exception");
    case ErrorCategory::userInput:
        return QStringLiteral("user-input");
    case ErrorCategory::appState:
        return QStringLiteral("app-state");
    }
    return {};
}

AnyIdentifiableError::AnyIdentifiableError(QString id, QString description)
    : m_id(std::move(id)), m_description(std::move(description))
{
}

AnyIdentifiableError::AnyIdentifiableError(QString id, const std::exception& error)
    : m_id(std::move(id)), m_description(QString::fromUtf8(error.what()))
{
}

namespace {

void sendError(ParameterDictionary parameters, const ParameterDictionary& callerParameters,
               std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    parameters.insert(callerParameters);
    Beacon::signal(QStringLiteral("Beacon.Error.occurred"), parameters, floatValue, customUserID);
}

} // namespace

void Beacon::sendErrorSignal(const QString& id, std::optional<ErrorCategory> category,
                             const std::optional<QString>& message, const ParameterDictionary& parameters,
                             std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    ParameterDictionary error{{QStringLiteral("Beacon.Error.id"), id}};
    if (category)
        error.insert(QStringLiteral("Beacon.Error.category"), errorCategoryRawValue(*category));
    if (message)
        error.insert(QStringLiteral("Beacon.Error.message"), *message);
    sendError(error, parameters, floatValue, customUserID);
}

void Beacon::sendErrorSignal(const IdentifiableError& error, ErrorCategory category,
                             const ParameterDictionary& parameters, std::optional<double> floatValue,
                             const std::optional<QString>& customUserID)
{
    sendErrorSignal(error.id(), category, error.localizedDescription(), parameters, floatValue, customUserID);
}

void Beacon::sendErrorSignal(const IdentifiableError& error, ErrorCategory category,
                             const std::optional<QString>& message, const ParameterDictionary& parameters,
                             std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    sendErrorSignal(error.id(), category, message, parameters, floatValue, customUserID);
}
