#include "history/HistoryFileCodec.h"

#include <charconv>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace HistoryFileCodec {

namespace {

void appendEscapedByte(QByteArray& out, char c)
{
    static const char hex[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
    case '"':
        out.append("\\\"");
        break;
    case '\\':
        out.append("\\\\");
        break;
    case '\n':
        out.append("\\n");
        break;
    case '\r':
        out.append("\\r");
        break;
    case '\t':
        out.append("\\t");
        break;
    default:
        if (byte < 0x20) {
            out.append("\\u00");
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 0xf]);
        } else {
            out.append(c);
        }
    }
}

void appendString(QByteArray& out, const QString& text)
{
    out.append('"');
    if (text.isValidUtf16()) {
        for (const char c : text.toUtf8())
            appendEscapedByte(out, c);
    } else {
        // A lone surrogate has no UTF-8 form: write it as a \u escape so it reads back unchanged.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            if (pair) {
                out.append(QStringView(text).mid(i, 2).toUtf8());
                ++i;
            } else if (c.isSurrogate()) {
                out.append("\\u");
                out.append(QByteArray::number(c.unicode(), 16).rightJustified(4, '0'));
            } else {
                for (const char byte : QString(c).toUtf8())
                    appendEscapedByte(out, byte);
            }
        }
    }
    out.append('"');
}

void appendBase64(QByteArray& out, const QByteArray& bytes)
{
    out.append('"');
    out.append(bytes.toBase64());
    out.append('"');
}

void appendNumber(QByteArray& out, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

QString urlText(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded);
}

void appendPayload(QByteArray& out, const ClipboardItemType& type)
{
    out.append("{\"type\":");
    switch (type.kind()) {
    case ClipboardItemKind::Text:
        out.append("\"text\",\"value\":");
        appendString(out, type.text());
        break;
    case ClipboardItemKind::File:
        out.append("\"file\",\"value\":");
        appendString(out, urlText(type.fileURL()));
        break;
    case ClipboardItemKind::FileGroup: {
        out.append("\"fileGroup\",\"value\":[");
        bool first = true;
        for (const QUrl& url : type.fileURLs()) {
            if (!first)
                out.append(',');
            first = false;
            appendString(out, urlText(url));
        }
        out.append(']');
        break;
    }
    case ClipboardItemKind::Image:
        out.append("\"image\",\"value\":");
        appendBase64(out, type.imageData());
        break;
    }
    out.append('}');
}

// Decoding fails with a description of the first problem found.
struct DecodeError
{
    QString description;
};

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

QByteArray base64(const QString& text, const QString& key)
{
    auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result || text.size() % 4 != 0)
        throw DecodeError{QStringLiteral("Base64 inválido na chave \"%1\"").arg(key)};
    return *result;
}

QUrl url(const QJsonValue& value)
{
    if (!value.isString())
        throw DecodeError{QStringLiteral("URL ausente ou de tipo inesperado")};
    const QUrl parsed(value.toString(), QUrl::StrictMode);
    if (!parsed.isValid() || value.toString().isEmpty())
        throw DecodeError{QStringLiteral("URL inválida: %1").arg(value.toString().left(200))};
    // Held in the form the writer produces, so a save writes back exactly what was read.
    return QUrl(parsed.toString(QUrl::FullyEncoded), QUrl::StrictMode);
}

QUuid uuid(const QString& text)
{
    static const QString nil = QStringLiteral("00000000-0000-0000-0000-000000000000");
    const QUuid id = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (id.isNull() && text != nil)
        throw DecodeError{QStringLiteral("Identificador inválido: %1").arg(text.left(64))};
    return id;
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

QByteArray encode(const QList<ClipboardItem>& items)
{
    qsizetype estimate = 2;
    for (const ClipboardItem& item : items) {
        estimate += 160;
        if (item.type().kind() == ClipboardItemKind::Image)
            estimate += item.type().imageData().size() * 4 / 3 + 4;
        else if (item.type().kind() == ClipboardItemKind::Text)
            estimate += item.type().text().size() * 3;
    }
    QByteArray out;
    out.reserve(estimate);
    out.append('[');
    bool first = true;
    for (const ClipboardItem& item : items) {
        if (!first)
            out.append(',');
        first = false;
        out.append("{\"id\":\"");
        out.append(item.id().toString(QUuid::WithoutBraces).toUpper().toLatin1());
        out.append("\",\"type\":");
        appendPayload(out, item.type());
        out.append(",\"date\":");
        appendNumber(out, item.date());
        out.append(",\"isPinned\":");
        out.append(item.isPinned() ? "true" : "false");
        if (item.richTextRTF()) {
            out.append(",\"richTextRTF\":");
            appendBase64(out, *item.richTextRTF());
        }
        if (item.richTextHTML()) {
            out.append(",\"richTextHTML\":");
            appendBase64(out, *item.richTextHTML());
        }
        out.append('}');
    }
    out.append(']');
    return out;
}

DecodeResult decode(const QByteArray& json)
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
