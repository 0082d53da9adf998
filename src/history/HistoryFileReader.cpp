#include "history/HistoryFileCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include "history/HistoryFileScanner.h"
#include "history/HistoryFileValues.h"

// The general reader: any JSON the format allows, through a JSON document.
namespace HistoryFileCodec {

using namespace detail;

namespace {

QJsonValue required(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        throw DecodeError{QStringLiteral("Chave ausente: \"%1\"").arg(key)};
    return value;
}

QString requiredString(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isString())
        throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"%1\"").arg(key)};
    return value.toString();
}

QUrl url(const QJsonValue& value)
{
    if (!value.isString())
        throw DecodeError{QStringLiteral("URL ausente ou de tipo inesperado")};
    return detail::url(value.toString());
}

ClipboardItemType payload(const QJsonObject& object)
{
    const QString discriminator = requiredString(object, QStringLiteral("type"));
    const QString valueKey = QStringLiteral("value");
    if (discriminator == u"text")
        return ClipboardItemType::text(requiredString(object, valueKey));
    if (discriminator == u"file")
        return ClipboardItemType::file(url(required(object, valueKey)));
    if (discriminator == u"fileGroup") {
        const QJsonValue value = required(object, valueKey);
        if (!value.isArray())
            throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"value\"")};
        QList<QUrl> urls;
        for (const QJsonValue& element : value.toArray())
            urls.append(url(element));
        return ClipboardItemType::fileGroup(std::move(urls));
    }
    if (discriminator == u"image")
        return ClipboardItemType::image(base64(requiredString(object, valueKey), valueKey));
    throw DecodeError{QStringLiteral("Tipo desconhecido: ") + discriminator};
}

std::optional<QByteArray> optionalBase64(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return std::nullopt;
    if (!value.isString())
        throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"%1\"").arg(key)};
    return base64(value.toString(), key);
}

ClipboardItem item(const QJsonValue& value)
{
    if (!value.isObject())
        throw DecodeError{QStringLiteral("Item que não é um objeto")};
    const QJsonObject object = value.toObject();
    const QUuid id = uuid(requiredString(object, QStringLiteral("id")));
    const QJsonValue type = required(object, QStringLiteral("type"));
    if (!type.isObject())
        throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"type\"")};
    const QJsonValue date = required(object, QStringLiteral("date"));
    if (!date.isDouble())
        throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"date\"")};
    const QJsonValue pinned = required(object, QStringLiteral("isPinned"));
    if (!pinned.isBool())
        throw DecodeError{QStringLiteral("Valor de tipo inesperado na chave \"isPinned\"")};
    return ClipboardItem(id, payload(type.toObject()), date.toDouble(), pinned.toBool(),
                         optionalBase64(object, QStringLiteral("richTextRTF")),
                         optionalBase64(object, QStringLiteral("richTextHTML")));
}

} // namespace

DecodeResult decode(QByteArrayView json, const std::function<void(qsizetype)>& consumed)
{
    if (auto items = scan(json, consumed))
        return {std::move(*items), {}};
    return decodeDocument(QByteArray::fromRawData(json.data(), json.size()));
}

DecodeResult decodeDocument(const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {{},
                QStringLiteral("JSON inválido na posição %1: %2")
                    .arg(parseError.offset)
                    .arg(parseError.errorString())};
    if (!document.isArray())
        return {{}, QStringLiteral("O arquivo não contém uma lista de itens")};
    DecodeResult result;
    try {
        const QJsonArray array = document.array();
        result.items.reserve(array.size());
        for (const QJsonValue& value : array)
            result.items.append(item(value));
    } catch (const DecodeError& error) {
        return {{}, error.description};
    }
    return result;
}

} // namespace HistoryFileCodec
