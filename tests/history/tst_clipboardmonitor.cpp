#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "PrintedLines.h"
#include "TestMain.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/fake/FakeClipboardService.h"

using namespace Qt::StringLiterals;

namespace {

// A readable form of an item's payload, for the tables.
QString describe(const std::optional<ClipboardItem>& item)
{
    if (!item)
        return u"none"_s;
    const ClipboardItemType& type = item->type();
    switch (type.kind()) {
    case ClipboardItemKind::Text:
        return u"text:"_s + type.text() + u"|rtf="_s +
               QString::fromLatin1(item->richTextRTF().value_or("-")) + u"|html="_s +
               QString::fromLatin1(item->richTextHTML().value_or("-"));
    case ClipboardItemKind::File:
        return u"file:"_s + type.fileURL().toString();
    case ClipboardItemKind::FileGroup: {
        QStringList urls;
        for (const QUrl& url : type.fileURLs())
            urls << url.toString();
        return u"group:"_s + urls.join(u' ');
    }
    case ClipboardItemKind::Image:
        return u"image:"_s + QString::fromLatin1(type.imageData());
    }
    return {};
}

ClipboardSnapshot textSnapshot(const QString& text)
{
    ClipboardSnapshot snapshot;
    snapshot.text = text;
    return snapshot;
}

} // namespace

class TestClipboardMonitor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeClipboardService m_clipboard;
    std::unique_ptr<ClipboardHistory> m_history;

private Q_SLOTS:
    void init()
    {
        m_clipboard = FakeClipboardService();
        m_history = std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(m_dir.filePath(u"h.json"_s)));
        m_history->clearHistory();
    }
    void cleanup()
    {
        if (m_history)
            m_history->storage().waitForPendingSaves();
        m_history.reset();
    }

    void candidateFollowsPrecedence_data()
    {
        QTest::addColumn<QStringList>("uris");
        QTest::addColumn<QVariant>("text"); // invalid: no text offered
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("concealed");
        QTest::addColumn<QString>("expected");

        const QVariant none;
        QTest::newRow("one file URL") << QStringList{u"file:///tmp/a.txt"_s} << none << QByteArray()
                                      << QByteArray() << QByteArray() << false << u"file:file:///tmp/a.txt"_s;
        QTest::newRow("three file URLs in order, duplicates kept")
            << QStringList{u"file:///tmp/c"_s, u"file:///tmp/a"_s, u"file:///tmp/c"_s} << none << QByteArray()
            << QByteArray() << QByteArray() << false << u"group:file:///tmp/c file:///tmp/a file:///tmp/c"_s;
        QTest::newRow("file URL wins over image and text")
            << QStringList{u"file:///tmp/p.png"_s} << QVariant(u"p.png"_s) << QByteArray() << QByteArray()
            << QByteArray("PNG") << false << u"file:file:///tmp/p.png"_s;
        QTest::newRow("web links in the uri list are not files")
            << QStringList{u"https://example.com/"_s} << QVariant(u"https://example.com/"_s) << QByteArray()
            << QByteArray() << QByteArray() << false << u"text:https://example.com/|rtf=-|html=-"_s;
        QTest::newRow("garbage uri lines alone yield nothing")
            << QStringList{u"%%%"_s, u"not a url at all"_s, u"::"_s} << none << QByteArray() << QByteArray()
            << QByteArray() << false << u"none"_s;
        QTest::newRow("text keeps its spaces and both rich forms")
            << QStringList() << QVariant(u"  hello \n"_s) << QByteArray("{\\rtf1}") << QByteArray("<b>h</b>")
            << QByteArray() << false << u"text:  hello \n|rtf={\\rtf1}|html=<b>h</b>"_s;
        QTest::newRow("text wins over image")
            << QStringList() << QVariant(u"caption"_s) << QByteArray() << QByteArray() << QByteArray("IMG")
            << false << u"text:caption|rtf=-|html=-"_s;
        QTest::newRow("blank text with image yields the image")
            << QStringList() << QVariant(u" \n\t "_s) << QByteArray() << QByteArray() << QByteArray("IMG")
            << false << u"image:IMG"_s;
        QTest::newRow("blank text alone yields nothing")
            << QStringList() << QVariant(u" \n "_s) << QByteArray() << QByteArray() << QByteArray() << false
            << u"none"_s;
        QTest::newRow("empty clipboard")
            << QStringList() << none << QByteArray() << QByteArray() << QByteArray() << false << u"none"_s;
        QTest::newRow("concealed content is never captured")
            << QStringList() << QVariant(u"hunter2"_s) << QByteArray() << QByteArray() << QByteArray() << true
            << u"none"_s;
    }
    void candidateFollowsPrecedence()
    {
        QFETCH(QStringList, uris);
        QFETCH(QVariant, text);
        QFETCH(QByteArray, rtf);
        QFETCH(QByteArray, html);
        QFETCH(QByteArray, image);
        QFETCH(bool, concealed);
        QFETCH(QString, expected);

        ClipboardSnapshot snapshot;
        snapshot.uriList = uris;
        if (text.isValid())
            snapshot.text = text.toString();
        if (!rtf.isEmpty())
            snapshot.rtf = rtf;
        if (!html.isEmpty())
            snapshot.html = html;
        if (!image.isEmpty())
            snapshot.image = image;
        snapshot.concealed = concealed;
        QCOMPARE(describe(ClipboardMonitor::candidateFrom(snapshot)), expected);
    }

    void firstCheckRunsOneIntervalAfterStart()
    {
        m_clipboard.setSnapshot(textSnapshot(u"already there"_s));
        ovelin::test::PrintedLines lines;
        ClipboardMonitor monitor(m_history.get(), m_clipboard);
        QSignalSpy changed(m_history.get(), &ClipboardHistory::historyChanged);
        QElapsedTimer clock;
        clock.start();
        monitor.startMonitoring();
        monitor.startMonitoring(); // a second start adds no second timer
        QCOMPARE(lines.count(u"📋 Monitoramento da área de transferência iniciado!"_s), 1);
        QVERIFY(changed.wait(3000));
        QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_history->history().size(), 1);
        QCOMPARE(m_history->history().first().type().text(), u"already there"_s);
        // Two more ticks with the same content: repeats change nothing and the clipboard is not
        // transferred again.
        for (int tick = 0; tick < 2; ++tick) {
            const QUuid offered = monitor.lastCopiedItem()->id(); // each tick offers a fresh one
            QTRY_VERIFY_WITH_TIMEOUT(monitor.lastCopiedItem()->id() != offered, 10000);
        }
        QCOMPARE(m_history->history().size(), 1);
        QCOMPARE(m_clipboard.readCount(), 1);
    }

    void transfersOnlyAfterAChangeButOffersEveryTick()
    {
        m_clipboard.setSnapshot(textSnapshot(u"A"_s));
        ClipboardMonitor monitor(m_history.get(), m_clipboard);
        QSet<QUuid> offered;
        for (int i = 0; i < 4; ++i) {
            monitor.checkPasteboard();
            offered.insert(monitor.lastCopiedItem()->id());
        }
        QCOMPARE(m_clipboard.readCount(), 1);
        QCOMPARE(offered.size(), 4); // a fresh candidate each time

        m_clipboard.setSnapshot(textSnapshot(u"B"_s));
        monitor.checkPasteboard();
        QCOMPARE(m_clipboard.readCount(), 2);
        QCOMPARE(m_history->history().first().type().text(), u"B"_s);
    }

    void copiesInQuickSuccessionAreAllKeptInOrder()
    {
        {
            ClipboardMonitor monitor(m_history.get(), m_clipboard);
            monitor.startMonitoring();
            for (const QString& text : {u"one"_s, u"two"_s, u"three"_s})
                m_clipboard.setSnapshot(textSnapshot(text));
            QStringList texts;
            for (const ClipboardItem& item : m_history->history())
                texts << item.type().text();
            QCOMPARE(texts, (QStringList{u"three"_s, u"two"_s, u"one"_s}));
        }
        // A monitor that is gone no longer listens.
        QVERIFY(!m_clipboard.isWatched());
        m_clipboard.setSnapshot(textSnapshot(u"four"_s));
        QCOMPARE(m_history->history().size(), 3);
    }

    void deletedNewestItemComesBackWhileClipboardHoldsIt()
    {
        m_clipboard.setSnapshot(textSnapshot(u"keep me"_s));
        ClipboardMonitor monitor(m_history.get(), m_clipboard);
        monitor.checkPasteboard();
        const QUuid first = m_history->history().first().id();
        m_history->deleteItem(first);
        QVERIFY(m_history->history().isEmpty());
        monitor.checkPasteboard();
        QCOMPARE(m_history->history().size(), 1);
        QVERIFY(m_history->history().first().id() != first);
        QCOMPARE(m_clipboard.readCount(), 1);
    }

    void releasedHistoryMakesTicksDoNothing()
    {
        m_clipboard.setSnapshot(textSnapshot(u"x"_s));
        ClipboardMonitor monitor(m_history.get(), m_clipboard);
        m_history->storage().waitForPendingSaves();
        m_history.reset();
        ovelin::test::PrintedLines lines;
        monitor.checkPasteboard();
        QCOMPARE(m_clipboard.readCount(), 0);
        QVERIFY(!monitor.lastCopiedItem());
        QVERIFY(lines.lines().isEmpty());
    }
};

OVELIN_TEST_GUILESS_MAIN(TestClipboardMonitor)
#include "tst_clipboardmonitor.moc"
