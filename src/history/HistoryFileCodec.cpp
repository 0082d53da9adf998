#include "history/HistoryFileCodec.h"

#include <array>
#include <charconv>
#include <cstring>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <QStringDecoder>

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

// Strict standard Base64 with padding, four characters at a time; none for anything else, which
// QByteArray then decodes or rejects. Images make most of a history file, so this is its cost.
std::optional<QByteArray> decodeBase64Quickly(QByteArrayView in)
{
    static const std::array<qint8, 256> values = [] {
        std::array<qint8, 256> table;
        table.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            table[static_cast<unsigned char>(alphabet[i])] = qint8(i);
        return table;
    }();
    const qsizetype size = in.size();
    if (size % 4 != 0)
        return std::nullopt;
    if (size == 0)
        return QByteArray();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const int padding = p[size - 1] != '=' ? 0 : p[size - 2] != '=' ? 1 : 2;
    QByteArray out(size / 4 * 3 - padding, Qt::Uninitialized);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const qsizetype fullQuads = size / 4 - (padding ? 1 : 0);
    for (qsizetype q = 0; q < fullQuads; ++q, p += 4, o += 3) {
        const int a = values[p[0]], b = values[p[1]], c = values[p[2]], d = values[p[3]];
        if ((a | b | c | d) < 0)
            return std::nullopt;
        const auto v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6 | uint32_t(d);
        o[0] = uchar(v >> 16);
        o[1] = uchar(v >> 8);
        o[2] = uchar(v);
    }
    if (padding) {
        const int a = values[p[0]], b = values[p[1]], c = padding == 1 ? values[p[2]] : 0;
        if ((a | b | c) < 0)
            return std::nullopt;
        const auto v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6;
        o[0] = uchar(v >> 16);
        if (padding == 1)
            o[1] = uchar(v >> 8);
    }
    return out;
}

QByteArray base64(QByteArrayView bytes, const QString& key)
{
    if (auto quick = decodeBase64Quickly(bytes))
        return std::move(*quick);
    auto result = QByteArray::fromBase64Encoding(QByteArray::fromRawData(bytes.data(), bytes.size()),
                                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!result || bytes.size() % 4 != 0)
        throw DecodeError{QStringLiteral("Base64 inválido na chave \"%1\"").arg(key)};
    return std::move(*result);
}

QByteArray base64(const QString& text, const QString& key)
{
    return base64(QByteArrayView(text.toLatin1()), key);
}

QUrl url(const QString& text)
{
    const QUrl parsed(text, QUrl::StrictMode);
    if (!parsed.isValid() || text.isEmpty())
        throw DecodeError{QStringLiteral("URL inválida: %1").arg(text.left(200))};
    // Held in the form the writer produces, so a save writes back exactly what was read.
    return QUrl(parsed.toString(QUrl::FullyEncoded), QUrl::StrictMode);
}

QUrl url(const QJsonValue& value)
{
    if (!value.isString())
        throw DecodeError{QStringLiteral("URL ausente ou de tipo inesperado")};
    return url(value.toString());
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

// The fast path: one pass over the bytes, no JSON document. Strings are taken from the bytes as
// they stand and Base64 is decoded straight from them, so a file of large images costs little
// more than decoding them. It gives up on anything unusual (duplicate keys, a byte-order mark,
// unexpected types, any error); the general decoder then gives the same items or the error.
class Scanner
{
public:
    struct GiveUp
    {
    };

    Scanner(QByteArrayView json, const std::function<void(qsizetype)>& consumed)
        : m_begin(json.data()), m_p(json.data()), m_end(json.data() + json.size()), m_consumed(consumed)
    {
    }

    QList<ClipboardItem> items()
    {
        QList<ClipboardItem> items;
        expect('[');
        if (!peek(']')) {
            for (;;) {
                items.append(item());
                if (m_consumed)
                    m_consumed(m_p - m_begin);
                if (peek(']'))
                    break;
                expect(',');
            }
        }
        expect(']');
        skipSpace();
        if (m_p != m_end)
            throw GiveUp{};
        return items;
    }

private:
    struct Token
    {
        const char* begin = nullptr;
        const char* end = nullptr;
        bool escaped = false;
        bool ascii = true;
        QByteArrayView bytes() const { return QByteArrayView(begin, end - begin); }
    };

    void skipSpace()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }
    bool peek(char c)
    {
        skipSpace();
        return m_p < m_end && *m_p == c;
    }
    void expect(char c)
    {
        if (!peek(c))
            throw GiveUp{};
        ++m_p;
    }

    // A Base64 string: up to the next quote, unchecked, as the strict decoder rejects any
    // character of an escape.
    Token base64String()
    {
        expect('"');
        const auto* quote = static_cast<const char*>(std::memchr(m_p, '"', size_t(m_end - m_p)));
        if (!quote)
            throw GiveUp{};
        Token token{m_p, quote, false, true};
        m_p = quote + 1;
        return token;
    }

    Token string()
    {
        expect('"');
        Token token;
        token.begin = m_p;
        for (;;) {
            while (m_p < m_end) {
                const auto c = static_cast<unsigned char>(*m_p);
                if (c == '"' || c == '\\' || c < 0x20)
                    break;
                token.ascii = token.ascii && c < 0x80;
                ++m_p;
            }
            if (m_p >= m_end)
                throw GiveUp{};
            if (*m_p == '"')
                break;
            if (*m_p != '\\' || m_p + 1 >= m_end)
                throw GiveUp{}; // a raw control character
            token.escaped = true;
            m_p += 2;
        }
        token.end = m_p++;
        return token;
    }

    static QString utf8(const char* begin, const char* end, bool ascii)
    {
        if (ascii)
            return QString::fromLatin1(begin, end - begin);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(QByteArrayView(begin, end - begin));
        if (decoder.hasError())
            throw GiveUp{};
        return text;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        throw GiveUp{};
    }

    static QString text(const Token& token)
    {
        if (!token.escaped)
            return utf8(token.begin, token.end, token.ascii);
        QString out;
        const char* p = token.begin;
        while (p < token.end) {
            const char* run = p;
            while (p < token.end && *p != '\\')
                ++p;
            out += utf8(run, p, false);
            if (p >= token.end)
                break;
            const char c = p[1];
            p += 2;
            switch (c) {
            case '"':
                out += u'"';
                break;
            case '\\':
                out += u'\\';
                break;
            case '/':
                out += u'/';
                break;
            case 'b':
                out += u'\b';
                break;
            case 'f':
                out += u'\f';
                break;
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case 'u': {
                if (token.end - p < 4)
                    throw GiveUp{};
                char16_t unit = 0;
                for (int i = 0; i < 4; ++i)
                    unit = char16_t(unit * 16 + hexDigit(p[i]));
                out += QChar(unit); // surrogates, paired or not, are kept as UTF-16 units
                p += 4;
                break;
            }
            default:
                throw GiveUp{};
            }
        }
        return out;
    }

    // Numbers as the general decoder holds them: integers that fit 64 bits, else doubles.
    double number()
    {
        skipSpace();
        const char* start = m_p;
        bool integral = true;
        if (m_p < m_end && *m_p == '-')
            ++m_p;
        const auto digits = [this] {
            const char* from = m_p;
            while (m_p < m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            if (m_p == from)
                throw GiveUp{};
        };
        if (m_p < m_end && *m_p == '0')
            ++m_p;
        else
            digits();
        if (m_p < m_end && *m_p == '.') {
            ++m_p;
            digits();
            integral = false;
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            digits();
            integral = false;
        }
        if (integral) {
            qint64 value = 0;
            const auto [end, error] = std::from_chars(start, m_p, value);
            if (error == std::errc() && end == m_p)
                return double(value);
        }
        double value = 0;
        const auto [end, error] = std::from_chars(start, m_p, value);
        if (error != std::errc() || end != m_p)
            throw GiveUp{};
        return value;
    }

    bool literal(const char* word)
    {
        skipSpace();
        const size_t length = std::strlen(word);
        if (size_t(m_end - m_p) < length || std::memcmp(m_p, word, length) != 0)
            return false;
        m_p += length;
        return true;
    }

    void skipValue(int depth = 0)
    {
        if (depth > 64)
            throw GiveUp{};
        skipSpace();
        if (m_p >= m_end)
            throw GiveUp{};
        if (*m_p == '"') {
            text(string()); // checked as the general decoder checks every string
        } else if (*m_p == '{' || *m_p == '[') {
            const char close = *m_p == '{' ? '}' : ']';
            const bool object = close == '}';
            ++m_p;
            if (peek(close)) {
                ++m_p;
                return;
            }
            for (;;) {
                if (object) {
                    text(string());
                    expect(':');
                }
                skipValue(depth + 1);
                if (peek(close))
                    break;
                expect(',');
            }
            ++m_p;
        } else if (!literal("true") && !literal("false") && !literal("null")) {
            number();
        }
    }

    // Walks an object's members; `member` returns false for a key it does not take, whose value
    // is then skipped. A key seen twice gives up: which one would count is the general decoder's.
    template <typename Member> void object(Member member)
    {
        expect('{');
        QSet<QByteArrayView> seen;
        if (peek('}')) {
            ++m_p;
            return;
        }
        for (;;) {
            const Token key = string();
            if (key.escaped || !key.ascii || seen.contains(key.bytes()))
                throw GiveUp{};
            seen.insert(key.bytes());
            expect(':');
            if (!member(key.bytes()))
                skipValue();
            if (peek('}'))
                break;
            expect(',');
        }
        ++m_p;
    }

    ClipboardItemType payload()
    {
        std::optional<Token> kind;
        std::optional<Token> single;
        std::optional<QList<Token>> list;
        object([&](QByteArrayView key) {
            if (key == "type") {
                kind = string();
            } else if (key == "value") {
                if (peek('[')) {
                    list.emplace();
                    ++m_p;
                    if (!peek(']')) {
                        for (;;) {
                            list->append(string());
                            if (peek(']'))
                                break;
                            expect(',');
                        }
                    }
                    ++m_p;
                } else {
                    single = kind && kind->bytes() == "image" ? base64String() : string();
                }
            } else {
                return false;
            }
            return true;
        });
        if (!kind || kind->escaped)
            throw GiveUp{};
        const QByteArrayView discriminator = kind->bytes();
        if (discriminator == "fileGroup") {
            if (!list)
                throw GiveUp{};
            QList<QUrl> urls;
            urls.reserve(list->size());
            for (const Token& token : std::as_const(*list))
                urls.append(url(text(token)));
            return ClipboardItemType::fileGroup(std::move(urls));
        }
        if (!single)
            throw GiveUp{};
        if (discriminator == "text")
            return ClipboardItemType::text(text(*single));
        if (discriminator == "file")
            return ClipboardItemType::file(url(text(*single)));
        if (discriminator == "image" && !single->escaped)
            return ClipboardItemType::image(base64(single->bytes(), QStringLiteral("value")));
        throw GiveUp{};
    }

    std::optional<QByteArray> richText()
    {
        const Token token = base64String();
        if (token.escaped)
            throw GiveUp{};
        return base64(token.bytes(), QString());
    }

    ClipboardItem item()
    {
        std::optional<QUuid> id;
        std::optional<ClipboardItemType> type;
        std::optional<double> date;
        std::optional<bool> pinned;
        std::optional<QByteArray> rtf;
        std::optional<QByteArray> html;
        object([&](QByteArrayView key) {
            if (key == "id") {
                const Token token = string();
                id = uuid(text(token));
            } else if (key == "type") {
                type = payload();
            } else if (key == "date") {
                date = number();
            } else if (key == "isPinned") {
                if (literal("true"))
                    pinned = true;
                else if (literal("false"))
                    pinned = false;
                else
                    throw GiveUp{};
            } else if (key == "richTextRTF") {
                rtf = richText();
            } else if (key == "richTextHTML") {
                html = richText();
            } else {
                return false;
            }
            return true;
        });
        if (!id || !type || !date || !pinned)
            throw GiveUp{};
        return ClipboardItem(*id, std::move(*type), *date, *pinned, std::move(rtf), std::move(html));
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    const std::function<void(qsizetype)>& m_consumed;
};

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
        // Secrets live in memory only.
        if (item.isSensitive())
            continue;
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

DecodeResult decode(QByteArrayView json, const std::function<void(qsizetype)>& consumed)
{
    try {
        return {Scanner(json, consumed).items(), {}};
    } catch (const Scanner::GiveUp&) {
    } catch (const DecodeError&) {
    }
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
