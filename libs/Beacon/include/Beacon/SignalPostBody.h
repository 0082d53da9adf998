#pragma once

#include <optional>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

class QJsonObject;

/// One signal as the ingestion service receives it.
struct SignalPostBody
{
    /// When the record was built: "yyyy-MM-ddTHH:mm:ss+0000" (UTC).
    QString receivedAt;
    QString appID;
    /// SHA-256 of the user identifier and the salt, 64 lower-case hex digits.
    QString clientUser;
    /// Upper-case canonical UUID.
    QString sessionID;
    QString type;
    /// Left out of the JSON when absent.
    std::optional<double> floatValue;
    QHash<QString, QString> payload;
    bool isTestMode = false;

    bool operator==(const SignalPostBody&) const = default;

    /// The "receivedAt" text for `secondsSince1970`.
    static QString formatReceivedAt(double secondsSince1970);

    /// The JSON object, keys in the wire order. A float value that is not a finite number is
    /// left out (JSON has no spelling for it).
    QByteArray toJson() const;
    /// A request body / cache file: a JSON array of records.
    static QByteArray encodeList(const QList<SignalPostBody>& records);
    /// Reads a record; none when a required field is missing or has the wrong type.
    static std::optional<SignalPostBody> fromJson(const QJsonObject& object);
    /// Reads a JSON array of records; none when the text is not a JSON array. Elements that are
    /// not records are skipped.
    static std::optional<QList<SignalPostBody>> decodeList(const QByteArray& json);
};
