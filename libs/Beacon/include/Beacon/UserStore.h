#pragma once

#include <memory>

#include <QString>

class QSettings;

/// The analytics client's own preferences store: one settings file per application identifier,
/// in the application's config folder. Holds the user identifier and the session records.
namespace UserStore {

/// The store's name for `appID`: the client's prefix and the first 12 hex digits of its hash.
QString suiteName(const QString& appID);
/// The file behind the store named `suite` (in the application's config folder).
QString filePath(const QString& suite);
/// Opens the store named `suite`, or null when `suite` is empty (client not initialized).
/// Each thread opens its own; Qt keeps the copies consistent within the process.
std::unique_ptr<QSettings> open(const QString& suite);

/// Lower-case hex SHA-256 of the UTF-8 text; empty when the text cannot be encoded.
QString sha256Hex(const QString& text);

} // namespace UserStore
