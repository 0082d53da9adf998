#pragma once

// History files written by hand for the codec tests (kept out of the test source: moc's
// parser does not follow raw string literals).

#include <vector>

#include <QByteArray>
#include <QString>

#include "history/ClipboardHistory.h"
#include "history/ClipboardItem.h"

namespace fixtures {

using namespace Qt::StringLiterals;

inline ClipboardItem textItem(const QString& text)
{
    return ClipboardItem(ClipboardItemType::text(text));
}

/// The history's texts, newest first, a pinned one marked with a trailing '*'.
inline QStringList texts(const ClipboardHistory& history)
{
    QStringList out;
    for (const ClipboardItem& item : history.history())
        out << item.type().text() + (item.isPinned() ? u"*"_s : QString());
    return out;
}

// Written by hand in the file's exact format: every kind, rich text present and absent, a group
// of one URL, a percent-encoded path, non-ASCII text, a pinned item, a date with a fraction.
inline const QByteArray handWritten =
    R"([{"id":"6A1B1F9E-0C4D-4B8E-9F10-2B3C4D5E6F70","type":{"type":"text","value":"Olá, \"mundo\"\n✓"},)"
    R"("date":786012345.678901,"isPinned":true,"richTextRTF":"e1xydGYxIE9sw6F9","richTextHTML":"PGI+T2zDoTwvYj4="},)"
    R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"text","value":"plain"},"date":786000000,"isPinned":false},)"
    R"({"id":"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE","type":{"type":"file","value":"file:///home/ana/Relat%C3%B3rio%20final.pdf"},)"
    R"("date":785999999.5,"isPinned":false},)"
    R"({"id":"0F0F0F0F-1E1E-2D2D-3C3C-4B4B4B4B4B4B","type":{"type":"fileGroup","value":["file:///tmp/only%20one.txt"]},)"
    R"("date":785999000.25,"isPinned":false},)"
    R"({"id":"9B2C7D4E-5F60-4172-8394-A5B6C7D8E9F0","type":{"type":"fileGroup","value":["file:///tmp/a.txt","file:///tmp/b.txt"]},)"
    R"("date":785998000.125,"isPinned":false,"richTextHTML":"PHA+eDwvcD4="},)"
    R"({"id":"C0FFEE00-0000-4000-8000-000000000001","type":{"type":"image","value":"iVBORw0KGgo="},)"
    R"("date":785997000.001,"isPinned":false}])";

inline const QByteArray unknownKeys =
    R"([{"extra":1,"id":"11111111-2222-3333-4444-555555555555","isPinned":false,)"
    R"("date":3,"type":{"value":"v","note":"x","type":"text"}}])";

inline const QByteArray emptyGroup =
    R"([{"id":"11111111-2222-3333-4444-555555555555","type":{"type":"fileGroup","value":[]},"date":1,"isPinned":false}])";

inline const QByteArray unsortedHistory =
    R"([{"id":"11111111-2222-3333-4444-555555555551","type":{"type":"text","value":"old"},"date":1,"isPinned":false},)"
    R"({"id":"11111111-2222-3333-4444-555555555552","type":{"type":"text","value":"new"},"date":2,"isPinned":false},)"
    R"({"id":"11111111-2222-3333-4444-555555555553","type":{"type":"text","value":"pin"},"date":0,"isPinned":true}])";

inline const QByteArray oddUrl =
    R"([{"id":"9B2C7D4E-5F60-4172-8394-A5B6C7D8E9F0","type":{"type":"fileGroup","value":["file:///t###mp/a.txt","file://tmp/b.txt"]},"date":1,"isPinned":false}])";

struct BadFile
{
    const char* name;
    QByteArray json;
    QString error; // the exact description when it matters
};

/// One stored item: `type` is the JSON of its "type" object, `rest` the keys after it.
inline QByteArray record(const QByteArray& type, const QByteArray& rest = R"("date":1,"isPinned":false)",
                         const QByteArray& id = "11111111-2222-3333-4444-555555555555")
{
    return R"({"id":")" + id + R"(","type":)" + type + "," + rest + "}";
}

/// A file of that one item.
inline QByteArray fileOf(const QByteArray& type, const QByteArray& rest = R"("date":1,"isPinned":false)")
{
    return "[" + record(type, rest) + "]";
}

inline std::vector<BadFile> badFiles()
{
    const QByteArray good = record(R"({"type":"text","value":"ok"})");
    auto withItem = [&](const QByteArray& item) -> QByteArray { return "[" + good + "," + item + "]"; };
    const QByteArray text = R"({"type":"text","value":"x"})";
    return {
        {"empty file", QByteArray(), QString()},
        {"truncated", handWritten.left(handWritten.size() / 2), QString()},
        {"not json", QByteArray("hello"), QString()},
        {"object instead of array", good, QString()},
        {"missing isPinned", withItem(record(text, R"("date":1)")), QString()},
        {"date as string", withItem(record(text, R"("date":"1","isPinned":false)")), QString()},
        {"unknown discriminator", withItem(record(R"({"type":"video","value":"x"})")),
         u"Tipo desconhecido: video"_s},
        {"discriminator in another case", withItem(record(R"({"type":"Text","value":"x"})")),
         u"Tipo desconhecido: Text"_s},
        {"malformed uuid", withItem(record(text, R"("date":1,"isPinned":false)", "1111-2222")), QString()},
        {"uuid in braces",
         withItem(record(text, R"("date":1,"isPinned":false)", "{11111111-2222-3333-4444-555555555555}")),
         QString()},
        {"malformed url", withItem(record(R"({"type":"file","value":"file:///a b%zz"})")), QString()},
        {"group holding a number", withItem(record(R"({"type":"fileGroup","value":[1]})")), QString()},
        {"malformed base64 image", withItem(record(R"({"type":"image","value":"@@@"})")), QString()},
        {"malformed base64 rich text",
         withItem(record(text, R"("date":1,"isPinned":false,"richTextRTF":"not base64!")")), QString()},
        {"item that is a string", withItem(R"("x")"), QString()},
    };
}

/// An item's content on one line, for comparisons: "text:<text>|rtf=<rtf or ->|html=<html or ->",
/// "file:<url>", "group:<url> <url>...", or "image:<bytes in Base64>"; "none" for no item.
inline QString describe(const std::optional<ClipboardItem>& item)
{
    if (!item)
        return u"none"_s;
    const ClipboardItemType& type = item->type();
    switch (type.kind()) {
    case ClipboardItemKind::Text:
        return u"text:"_s + type.text() + u"|rtf="_s + QString::fromUtf8(item->richTextRTF().value_or("-")) +
               u"|html="_s + QString::fromUtf8(item->richTextHTML().value_or("-"));
    case ClipboardItemKind::File:
        return u"file:"_s + type.fileURL().toString();
    case ClipboardItemKind::FileGroup: {
        QStringList urls;
        for (const QUrl& url : type.fileURLs())
            urls << url.toString();
        return u"group:"_s + urls.join(u' ');
    }
    case ClipboardItemKind::Image:
        return u"image:"_s + QString::fromLatin1(type.imageData().toBase64());
    }
    return {};
}

} // namespace fixtures
