#include "history/HistoryFileCodec.h"

#include <charconv>

// The writer: the compact form every reader takes, keys in a fixed order.
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

} // namespace HistoryFileCodec
