#include "history/HistoryFileScanner.h"

#include <charconv>
#include <cstring>

#include <QSet>
#include <QStringDecoder>

#include "history/HistoryFileValues.h"

namespace HistoryFileCodec::detail {

namespace {

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

std::optional<QList<ClipboardItem>> scan(QByteArrayView json, const std::function<void(qsizetype)>& consumed)
{
    try {
        return Scanner(json, consumed).items();
    } catch (const Scanner::GiveUp&) {
    } catch (const DecodeError&) {
    }
    return std::nullopt;
}

} // namespace HistoryFileCodec::detail
