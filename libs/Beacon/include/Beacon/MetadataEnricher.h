#pragma once

#include <optional>

#include <QHash>
#include <QString>

/// Adds parameters of its own to every signal. Called on a worker thread, so implementations
/// must be thread-safe. Held by the configuration through shared ownership.
class MetadataEnricher
{
public:
    virtual ~MetadataEnricher() = default;
    virtual QHash<QString, QString> enrich(const QString& signalType,
                                           const std::optional<QString>& clientUser,
                                           std::optional<double> floatValue) const = 0;
};
