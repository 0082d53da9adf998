#include <cmath>

#include <QJsonDocument>
#include <QTest>

#include "TestMain.h"
#include "history/HistoryFileCodec.h"

using namespace Qt::StringLiterals;

#include "HistoryFixtures.h"

class TestHistoryFileCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void handWrittenFileLoadsWithEveryField()
    {
        qsizetype consumed = 0; // told only by the fast path, which the writer's format takes
        const auto result =
            HistoryFileCodec::decode(fixtures::handWritten, [&](qsizetype bytes) { consumed = bytes; });
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.items.size(), 6);
        QCOMPARE(consumed, fixtures::handWritten.size() - 1);

        QStringList described;
        for (const ClipboardItem& item : result.items)
            described << fixtures::describe(item);
        QCOMPARE(described,
                 (QStringList{u"text:Olá, \"mundo\"\n✓|rtf={\\rtf1 Olá}|html=<b>Olá</b>"_s,
                              u"text:plain|rtf=-|html=-"_s, u"file:file:///home/ana/Relatório final.pdf"_s,
                              u"group:file:///tmp/only one.txt"_s,
                              u"group:file:///tmp/a.txt file:///tmp/b.txt"_s, u"image:iVBORw0KGgo="_s}));
        QCOMPARE(result.items[0].id(), QUuid(u"6a1b1f9e-0c4d-4b8e-9f10-2b3c4d5e6f70"_s));
        QCOMPARE(result.items[0].date(), 786012345.678901);
        QVERIFY(result.items[0].isPinned() && !result.items[1].isPinned());
        // Written back with the same values, key for key.
        QCOMPARE(QJsonDocument::fromJson(HistoryFileCodec::encode(result.items)),
                 QJsonDocument::fromJson(fixtures::handWritten));
    }

    void writerFormat()
    {
        const QUuid id = QUuid::createUuid();
        const ClipboardItem plain(id, ClipboardItemType::text(u"a\tb"_s), 1.5, false, {}, {});
        const ClipboardItem rich(id, ClipboardItemType::text(u"x"_s), 2, true, QByteArray("rtf"),
                                 QByteArray("html"));
        // Rich text follows the pin flag, RTF before HTML.
        QByteArray expected =
            R"([{"id":"ID","type":{"type":"text","value":"a\tb"},"date":1.5,"isPinned":false},)"
            R"({"id":"ID","type":{"type":"text","value":"x"},"date":2,"isPinned":true,)"
            R"("richTextRTF":"cnRm","richTextHTML":"aHRtbA=="}])";
        expected.replace("ID", id.toString(QUuid::WithoutBraces).toUpper().toLatin1());
        QCOMPARE(HistoryFileCodec::encode({plain, rich}), expected);
        QCOMPARE(HistoryFileCodec::encode({}), QByteArray("[]"));
    }

    // Each file loads and writes back items that read the same. A URL read in another spelling
    // than the writer's (an unescaped '#' in the fragment) used to change at every save.
    void filesWriteBackTheSameItems_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("first");
        QTest::newRow("odd URL") << fixtures::oddUrl << u"group:file:///t#%23%23mp/a.txt file://tmp/b.txt"_s;
        QTest::newRow("unknown keys ignored") << fixtures::unknownKeys << u"text:v|rtf=-|html=-"_s;
        QTest::newRow("empty group") << fixtures::emptyGroup << u"group:"_s;
        using fixtures::fileOf;
        QTest::newRow("control characters and escapes")
            << fileOf("{\"type\":\"text\",\"value\":\"zero\\u0000one\\u001ftwo \\\\ \\\" \\/ \\u00e9\"}")
            << u"text:zero\u0000one\u001ftwo \\ \" / \u00e9|rtf=-|html=-"_s;
        QTest::newRow("outside the basic plane")
            << fileOf("{\"type\":\"text\",\"value\":\"😀 𝄞\"}") << u"text:😀 𝄞|rtf=-|html=-"_s;
        // A lone surrogate has no UTF-8 form; it used to come back as a replacement character.
        QTest::newRow("lone surrogates")
            << fileOf("{\"type\":\"text\",\"value\":\"a\\ud800b\\udc00\"}")
            << u"text:a"_s + QChar(0xD800) + u"b"_s + QChar(0xDC00) + u"|rtf=-|html=-"_s;
    }
    void filesWriteBackTheSameItems()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, first);
        const auto read = HistoryFileCodec::decode(json);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.items.size(), 1);
        QCOMPARE(fixtures::describe(read.items.first()), first);
        const auto again = HistoryFileCodec::decode(HistoryFileCodec::encode(read.items));
        QVERIFY2(again.ok(), qPrintable(again.error));
        QCOMPARE(again.items, read.items);
    }

    void badFilesFailWhole_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        for (const auto& row : fixtures::badFiles())
            QTest::newRow(row.name) << row.json << row.error;
    }
    void badFilesFailWhole()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        const auto result = HistoryFileCodec::decode(json);
        QVERIFY(!result.ok());
        QVERIFY(result.items.isEmpty());
        if (!error.isEmpty())
            QCOMPARE(result.error, error);
    }

    // The fast path must read every file exactly as the general decoder does, or leave it to it.
    void fastPathAgreesWithTheGeneralDecoder_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("hand written") << fixtures::handWritten;
        QTest::newRow("unknown keys, any order") << fixtures::unknownKeys;
        QTest::newRow("empty group") << fixtures::emptyGroup;
        QTest::newRow("odd URL") << fixtures::oddUrl;
        for (const auto& row : fixtures::badFiles())
            QTest::newRow(row.name) << row.json;
        using fixtures::fileOf;
        QTest::newRow("spaces and line breaks everywhere") << QByteArray(
            " [ {\n\"id\" : \"11111111-2222-3333-4444-555555555555\" ,\r\n\t\"type\" : { \"type\" : "
            "\"text\" , \"value\" : \"x\" } , \"date\" : 2.5 , \"isPinned\" : true } ] \n");
        QTest::newRow("escaped slash in Base64") << fileOf("{\"type\":\"image\",\"value\":\"a\\/8=\"}");
        QTest::newRow("escapes and surrogates")
            << fileOf("{\"type\":\"text\",\"value\":\"\\ud83d\\ude00 \\ud800 \\u00e9\\/\\b\\f\"}");
        QTest::newRow("unknown escape") << fileOf("{\"type\":\"text\",\"value\":\"\\x\"}");
        QTest::newRow("invalid UTF-8") << fileOf("{\"type\":\"text\",\"value\":\"a\xff\xfe\"}");
        const QByteArray text = "{\"type\":\"text\",\"value\":\"x\"}";
        QTest::newRow("byte-order mark") << "\xef\xbb\xbf" + fileOf(text);
        QTest::newRow("duplicate key") << fileOf("{\"type\":\"text\",\"value\":\"a\",\"value\":\"b\"}");
        for (const char* date :
             {"-0", "1e3", "-12.5E-2", "123456789012345678901234567890", "9007199254740993"})
            QTest::newRow(date) << fileOf(text, "\"date\":" + QByteArray(date) + ",\"isPinned\":false");
        QTest::newRow("nested unknown values")
            << fileOf("{\"type\":\"text\",\"value\":\"x\",\"more\":[{\"a\":[1,true,null]},{}]}");
        QTest::newRow("rich text that is no Base64")
            << fileOf(text, "\"date\":1,\"isPinned\":false,\"richTextRTF\":\"ab\\\"c\"");
        QTest::newRow("unknown key that is no UTF-8") << fileOf(text, "\"\xcch\":1");
        QTest::newRow("unknown value that is no UTF-8")
            << fileOf("{\"type\":\"text\",\"value\":\"x\",\"more\":[\"\xff\"]}");
        QTest::newRow("trailing garbage") << fileOf(text) + "x";
    }
    void fastPathAgreesWithTheGeneralDecoder()
    {
        QFETCH(QByteArray, json);
        const auto fast = HistoryFileCodec::decode(json);
        const auto general = HistoryFileCodec::decodeDocument(json);
        QCOMPARE(fast.error, general.error);
        QCOMPARE(fast.items, general.items);
        for (qsizetype i = 0; i < fast.items.size(); ++i) // operator== of doubles hides -0
            QCOMPARE(std::signbit(fast.items[i].date()), std::signbit(general.items[i].date()));
    }
};

OVELIN_TEST_GUILESS_MAIN(TestHistoryFileCodec)
#include "tst_historyfilecodec.moc"
