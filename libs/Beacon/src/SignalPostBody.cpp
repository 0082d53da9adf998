#include "Beacon/SignalPostBody.h"

#include <cmath>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>

#include "Beacon/Clock.h"

namespace {

QByteArray jsonString(const QString& text)
{
    // QJsonDocument does the escaping; strip the array brackets around the one string.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray jsonNumber(double value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QString SignalPostBody::formatReceivedAt(double secondsSince1970)
{
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::floor(secondsSince1970 * 1000.0)), QTimeZone::utc());
    return QLocale(QLocale::English, QLocale::UnitedStates)
               .toString(utc, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
           QStringLiteral("+0000");
}

QByteArray SignalPostBody::toJson() const
{
    QByteArray out;
    out += "{\"receivedAt\":" + jsonString(receivedAt);
    out += ",\"appID\":" + jsonString(appID);
    out += ",\"clientUser\":" + jsonString(clientUser);
    out += ",\"sessionID\":" + jsonString(sessionID);
    out += ",\"type\":" + jsonString(type);
    if (floatValue && std::isfinite(*floatValue))
        out += ",\"floatValue\":" + jsonNumber(*floatValue);
    QJsonObject payloadObject;
    for (auto it = payload.cbegin(); it != payload.cend(); ++it)
        payloadObject.insert(it.key(), it.value());
    out += ",\"payload\":" + QJsonDocument(payloadObject).toJson(QJsonDocument::Compact);
    out += ",\"isTestMode\":" + jsonString(isTestMode ? QStringLiteral("true") : QStringLiteral("false"));
    out += '}';
    return out;
}

QByteArray SignalPostBody::encodeList(const QList<SignalPostBody>& records)
{
    QByteArray out = "[";
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (i > 0)
            out += ',';
        out += records[i].toJson();
    }
    out += ']';
    return out;
}

std::optional<SignalPostBody> SignalPostBody::fromJson(const QJsonObject& object)
{
    static const char* const textKeys[] = {"receivedAt", "appID", "clientUser",
                                           "sessionID",  "type",  "isTestMode"};
    for (const char* key : textKeys) {
        if (!object.value(QLatin1String(key)).isString())
            return std::nullopt;
    }
    if (!object.value(QLatin1String("payload")).isObject())
        return std::nullopt;

    SignalPostBody body;
    body.receivedAt = object.value(QLatin1String("receivedAt")).toString();
    body.appID = object.value(QLatin1String("appID")).toString();
    body.clientUser = object.value(QLatin1String("clientUser")).toString();
    body.sessionID = object.value(QLatin1String("sessionID")).toString();
    body.type = object.value(QLatin1String("type")).toString();
    const QJsonValue floatValue = object.value(QLatin1String("floatValue"));
    if (floatValue.isDouble())
        body.floatValue = floatValue.toDouble();
    const QJsonObject payload = object.value(QLatin1String("payload")).toObject();
    for (auto it = payload.constBegin(); it != payload.constEnd(); ++it) {
        if (it.value().isString())
            body.payload.insert(it.key(), it.value().toString());
    }
    body.isTestMode = object.value(QLatin1String("isTestMode")).toString() == QLatin1String("true");
    return body;
}

std::optional<QList<SignalPostBody>> SignalPostBody::decodeList(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<SignalPostBody> records;
    const QJsonArray array = document.array();
    for (const QJsonValue& value : array) {
        if (auto body = fromJson(value.toObject()))
            records.append(std::move(*body));
    }
    return records;
}
