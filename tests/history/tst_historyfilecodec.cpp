#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

        const ClipboardItem& text = result.items[0];
        QCOMPARE(text.id(), QUuid(u"6a1b1f9e-0c4d-4b8e-9f10-2b3c4d5e6f70"_s));
        QCOMPARE(text.type().text(), u"Olá, \"mundo\"\n✓"_s);
        QCOMPARE(text.date(), 786012345.678901);
        QVERIFY(text.isPinned());
        QCOMPARE(*text.richTextRTF(), QByteArray("{\\rtf1 Olá}"));
        QCOMPARE(*text.richTextHTML(), QByteArray("<b>Olá</b>"));

        QVERIFY(!result.items[1].richTextRTF());
        QVERIFY(!result.items[1].richTextHTML());
        QCOMPARE(result.items[2].type().fileURL().toLocalFile(), u"/home/ana/Relatório final.pdf"_s);
        QCOMPARE(result.items[3].type().kind(), ClipboardItemKind::FileGroup);
        QCOMPARE(result.items[3].type().fileURLs().size(), 1);
        QCOMPARE(result.items[4].type().fileURLs().at(1).toLocalFile(), u"/tmp/b.txt"_s);
        QCOMPARE(result.items[5].type().imageData(), QByteArray("\x89PNG\r\n\x1a\n"));
    }

    void handWrittenFileWritesBackTheSameValues()
    {
        const auto first = HistoryFileCodec::decode(fixtures::handWritten);
        const QByteArray written = HistoryFileCodec::encode(first.items);
        const auto second = HistoryFileCodec::decode(written);
        QVERIFY2(second.ok(), qPrintable(second.error));
        QCOMPARE(second.items, first.items);
        // Same values, key for key, as the file written by hand.
        QCOMPARE(QJsonDocument::fromJson(written), QJsonDocument::fromJson(fixtures::handWritten));
    }

    void writerFormat()
    {
        const QUuid id = QUuid::createUuid();
        const ClipboardItem item(id, ClipboardItemType::text(u"a\tb"_s), 1.5, false, {}, {});
        const QByteArray json = HistoryFileCodec::encode({item});
        const QString upper = id.toString(QUuid::WithoutBraces).toUpper();
        QCOMPARE(json,
                 (u"[{\"id\":\""_s + upper +
                  u"\",\"type\":{\"type\":\"text\",\"value\":\"a\\tb\"},\"date\":1.5,\"isPinned\":false}]"_s)
                     .toUtf8());
        QCOMPARE(HistoryFileCodec::encode({}), QByteArray("[]"));
    }

    void richTextKeysFollowInOrder()
    {
        const ClipboardItem item(QUuid::createUuid(), ClipboardItemType::text(u"x"_s), 2, true,
                                 QByteArray("rtf"), QByteArray("html"));
        const QByteArray json = HistoryFileCodec::encode({item});
        const qsizetype pinned = json.indexOf("\"isPinned\":true");
        const qsizetype rtf = json.indexOf("\"richTextRTF\":\"cnRm\"");
        const qsizetype html = json.indexOf("\"richTextHTML\":\"aHRtbA==\"");
        QVERIFY(pinned > 0 && rtf > pinned && html > rtf);
    }

    void textsRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("control characters and escapes") << u"zero\u0000one\u001ftwo \\ \" / \u00e9"_s;
        QTest::newRow("outside the basic plane") << u"😀 𝄞"_s;
        // A lone surrogate has no UTF-8 form; it used to come back as a replacement character.
        QTest::newRow("lone surrogates") << (u"a"_s + QChar(0xD800) + u"b"_s + QChar(0xDC00));
    }
    void textsRoundTrip()
    {
        QFETCH(QString, text);
        const ClipboardItem item(QUuid::createUuid(), ClipboardItemType::text(text), 0, false, {}, {});
        const auto back = HistoryFileCodec::decode(HistoryFileCodec::encode({item}));
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.items.first().type().text(), text);
    }

    // A URL read in another spelling than the writer's (an unescaped '#' in the fragment) used to
    // change at every save.
    void urlsAreHeldInTheWrittenForm()
    {
        const auto first = HistoryFileCodec::decode(fixtures::oddUrl);
        QVERIFY2(first.ok(), qPrintable(first.error));
        const auto second = HistoryFileCodec::decode(HistoryFileCodec::encode(first.items));
        QVERIFY2(second.ok(), qPrintable(second.error));
        QCOMPARE(second.items, first.items);
    }

    void unknownKeysAreIgnored()
    {
        const auto result = HistoryFileCodec::decode(fixtures::unknownKeys);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.items.first().type().text(), u"v"_s);
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

    void emptyGroupIsAccepted()
    {
        const auto result = HistoryFileCodec::decode(fixtures::emptyGroup);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QVERIFY(result.items.first().type().fileURLs().isEmpty());
    }
};

OVELIN_TEST_GUILESS_MAIN(TestHistoryFileCodec)
#include "tst_historyfilecodec.moc"
