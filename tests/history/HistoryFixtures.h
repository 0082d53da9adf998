#pragma once

// History files written by hand for the codec tests (kept out of the test source: moc's
// parser does not follow raw string literals).

#include <vector>

#include <QByteArray>
#include <QString>

namespace fixtures {

using namespace Qt::StringLiterals;

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

inline std::vector<BadFile> badFiles()
{
    std::vector<BadFile> rows;
    const QByteArray good =
        R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"text","value":"ok"},"date":1,"isPinned":false})";
    auto withItem = [&](const char* item) -> QByteArray {
        return QByteArray("[") + good + "," + QByteArray(item) + "]";
    };

    rows.push_back({"empty file", QByteArray(), QString()});
    rows.push_back({"truncated", handWritten.left(handWritten.size() / 2), QString()});
    rows.push_back({"not json", QByteArray("hello"), QString()});
    rows.push_back({"object instead of array", good, QString()});
    rows.push_back(
        {"missing isPinned",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"text","value":"x"},"date":1})"),
         QString()});
    rows.push_back(
        {"date as string",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"text","value":"x"},"date":"1","isPinned":false})"),
         QString()});
    rows.push_back(
        {"unknown discriminator",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"video","value":"x"},"date":1,"isPinned":false})"),
         u"Tipo desconhecido: video"_s});
    rows.push_back(
        {"discriminator in another case",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"Text","value":"x"},"date":1,"isPinned":false})"),
         u"Tipo desconhecido: Text"_s});
    rows.push_back(
        {"malformed uuid",
         withItem(R"({"id":"1111-2222","type":{"type":"text","value":"x"},"date":1,"isPinned":false})"),
         QString()});
    rows.push_back(
        {"uuid in braces",
         withItem(
             R"({"id":"{11111111-2222-3333-4444-555555555555}","type":{"type":"text","value":"x"},"date":1,"isPinned":false})"),
         QString()});
    rows.push_back(
        {"malformed url",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"file","value":"file:///a b%zz"},"date":1,"isPinned":false})"),
         QString()});
    rows.push_back(
        {"group holding a number",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"fileGroup","value":[1]},"date":1,"isPinned":false})"),
         QString()});
    rows.push_back(
        {"malformed base64 image",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"image","value":"@@@"},"date":1,"isPinned":false})"),
         QString()});
    rows.push_back(
        {"malformed base64 rich text",
         withItem(
             R"({"id":"11111111-2222-3333-4444-555555555555","type":{"type":"text","value":"x"},"date":1,"isPinned":false,"richTextRTF":"not base64!"})"),
         QString()});
    rows.push_back({"item that is a string", withItem(R"("x")"), QString()});
    return rows;
}

} // namespace fixtures
