#include <QTest>

#include "TestMain.h"
#include "history/ClipboardItem.h"

Q_DECLARE_METATYPE(ClipboardItemType)

using namespace Qt::StringLiterals;

namespace {
QUrl fileUrl(const char* path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}
} // namespace

class TestClipboardItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void contentComparison_data()
    {
        QTest::addColumn<ClipboardItemType>("a");
        QTest::addColumn<ClipboardItemType>("b");
        QTest::addColumn<bool>("equal");
        QTest::addColumn<bool>("sameContent");

        const auto text = [](const QString& value) { return ClipboardItemType::text(value); };
        QTest::newRow("same text") << text(u"hello"_s) << text(u"hello"_s) << true << true;
        QTest::newRow("text differs in case") << text(u"Hello"_s) << text(u"hello"_s) << false << false;
        QTest::newRow("text not trimmed") << text(u"hello "_s) << text(u"hello"_s) << false << false;
        QTest::newRow("canonically equivalent text")
            << text(QString::fromUtf8("caf\xc3\xa9")) << text(QString::fromUtf8("cafe\xcc\x81")) << true
            << true;
        QTest::newRow("text vs file")
            << text(u"/tmp/a"_s) << ClipboardItemType::file(fileUrl("/tmp/a")) << false << false;
        QTest::newRow("group in other order")
            << ClipboardItemType::fileGroup({fileUrl("/a"), fileUrl("/b")})
            << ClipboardItemType::fileGroup({fileUrl("/b"), fileUrl("/a")}) << false << true;
        QTest::newRow("group with repetition")
            << ClipboardItemType::fileGroup({fileUrl("/a"), fileUrl("/b"), fileUrl("/a")})
            << ClipboardItemType::fileGroup({fileUrl("/b"), fileUrl("/a")}) << false << true;
        QTest::newRow("group with other files")
            << ClipboardItemType::fileGroup({fileUrl("/a"), fileUrl("/b")})
            << ClipboardItemType::fileGroup({fileUrl("/a"), fileUrl("/c")}) << false << false;
        QTest::newRow("group of one vs file") << ClipboardItemType::fileGroup({fileUrl("/a")})
                                              << ClipboardItemType::file(fileUrl("/a")) << false << false;
        QTest::newRow("same image bytes")
            << ClipboardItemType::image("\x89PNG1") << ClipboardItemType::image("\x89PNG1") << true << true;
        QTest::newRow("other image bytes")
            << ClipboardItemType::image("\x89PNG1") << ClipboardItemType::image("\x89PNG2") << false << false;
    }
    void contentComparison()
    {
        QFETCH(ClipboardItemType, a);
        QFETCH(ClipboardItemType, b);
        QFETCH(bool, equal);
        QFETCH(bool, sameContent);
        QCOMPARE(a == b, equal);
        QCOMPARE(b == a, equal);
        QCOMPARE(a.hasSameContent(b), sameContent);
        QCOMPARE(b.hasSameContent(a), sameContent);
    }

    void richTextAndTheIdTakePartInEqualityButNotInContent()
    {
        const ClipboardItem plain(QUuid::createUuid(), ClipboardItemType::text(u"x"_s), 10, false, {}, {});
        ClipboardItem rich = plain;
        QVERIFY(rich == plain);
        rich.setRichTextRTF(QByteArray("{\\rtf1 x}"));
        QVERIFY(!(rich == plain));
        QVERIFY(rich.hasSameContent(plain));
        ClipboardItem emptyRtf = plain;
        emptyRtf.setRichTextRTF(QByteArray());
        QVERIFY2(!(emptyRtf == plain), "an empty buffer is not the same as no buffer");
        // Another copy of the same text is another item.
        const ClipboardItem again(ClipboardItemType::text(u"x"_s));
        QVERIFY(again.hasSameContent(plain) && !(again == plain));
    }

    void newItemDateIsNow()
    {
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        const ClipboardItem item(ClipboardItemType::text(u"x"_s));
        QVERIFY(item.dateTime() >= before && item.dateTime() <= QDateTime::currentDateTimeUtc().addMSecs(1));
    }

    void faviconURL_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("favicon");
        QTest::newRow("https with path")
            << u"https://example.com/a/b?q=1"_s << u"https://example.com/favicon.ico"_s;
        QTest::newRow("http becomes https")
            << u"http://example.org:8080/x"_s << u"https://example.org/favicon.ico"_s;
        QTest::newRow("scheme alone") << u"http"_s << QString();
        QTest::newRow("no scheme") << u"example.com"_s << QString();
        QTest::newRow("with spaces") << u"https://example.com/a b"_s << QString();
        QTest::newRow("sentence") << u"see https://example.com"_s << QString();
        QTest::newRow("other scheme") << u"ftp://example.com/"_s << QString();
        QTest::newRow("no host") << u"http:///path"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void faviconURL()
    {
        QFETCH(QString, text);
        QFETCH(QString, favicon);
        const auto url = ClipboardItemType::text(text).faviconURL();
        QCOMPARE(url ? url->toString() : QString(), favicon);
        QVERIFY(!ClipboardItemType::file(QUrl(text)).faviconURL()); // only texts have one
    }
};

OVELIN_TEST_GUILESS_MAIN(TestClipboardItem)
#include "tst_clipboarditem.moc"
