#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/ClipboardService.h"
#include "platform/X11TestSupport.h"
#include "platform/x11/X11Platform.h"

using namespace Qt::StringLiterals;
using ovelin::test::copyWithXclip;
using ovelin::test::Helper;

namespace {

QByteArray png(int seed, int side = 8)
{
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, qRgb((x * 31 + seed) % 256, (y * 17 + seed) % 256, seed % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString describe(const ClipboardItem& item)
{
    const ClipboardItemType& type = item.type();
    switch (type.kind()) {
    case ClipboardItemKind::Text:
        return u"text:"_s + type.text() + u"|rtf="_s + QString::fromUtf8(item.richTextRTF().value_or("-")) +
               u"|html="_s + QString::fromUtf8(item.richTextHTML().value_or("-"));
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

// The real clipboard, counting what the monitor asks of it: a poll on every tick, a read when
// the contents changed.
class CountingClipboard : public ClipboardService
{
public:
    explicit CountingClipboard(ClipboardService& real) : m_real(real) {}
    quint64 changeCount() const override
    {
        ++polls;
        return m_real.changeCount();
    }
    ClipboardSnapshot read() override
    {
        ++reads;
        return m_real.read();
    }
    void write(const ClipboardContent& content) override { m_real.write(content); }
    void writePrimarySelection(const ClipboardContent& content) override
    {
        m_real.writePrimarySelection(content);
    }

    mutable int polls = 0;
    int reads = 0;

private:
    ClipboardService& m_real;
};

} // namespace

class TestX11Clipboard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<CountingClipboard> m_clipboard;
    QString m_historyPath;

    // The sentinel for "nothing happened": the monitor looked at the clipboard this many more times.
    bool waitForTicks(int ticks)
    {
        const int target = m_clipboard->polls + ticks;
        return QTest::qWaitFor([&] { return m_clipboard->polls >= target; }, 30000);
    }

    QString fixture() const { return QStringLiteral(X11_FIXTURE); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return file.fileName();
    }
    QString topOfHistory() const
    {
        return m_history->history().isEmpty() ? u"empty"_s : describe(m_history->history().first());
    }
    // The history file as the next start would read it.
    QStringList historyFile()
    {
        m_history->storage().waitForPendingSaves();
        QStringList out;
        for (const ClipboardItem& item : ClipboardStorage::atPath(m_historyPath)->load())
            out << describe(item);
        return out;
    }
    QStringList historyList() const
    {
        QStringList out;
        for (const ClipboardItem& item : m_history->history())
            out << describe(item);
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!ovelin::test::onX11())
            QSKIP("needs an X server (run under Xvfb)");
    }
    void init()
    {
        static int n = 0;
        m_historyPath = m_dir.filePath(u"history-%1.json"_s.arg(++n));
        m_history = std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(m_historyPath));
        m_clipboard = std::make_unique<CountingClipboard>(*ovelin::x11::platformServices().clipboard);
        m_monitor = std::make_unique<ClipboardMonitor>(m_history.get(), *m_clipboard);
        m_monitor->startMonitoring();
    }
    void cleanup()
    {
        m_monitor.reset();
        if (m_history)
            m_history->storage().waitForPendingSaves();
        m_history.reset();
    }

    void capturesWhatAnotherApplicationCopies()
    {
        const QByteArray png1 = png(1);
        const QByteArray png2 = png(2);
        const QString blank = writeFile(u"blank.txt"_s, "  \n\t ");
        const QString image2 = writeFile(u"2.png"_s, png2);
        const QString plain = writeFile(u"plain.txt"_s, "Bold move");
        const QString rtf = writeFile(u"r.rtf"_s, "{\\rtf1 {\\b Bold} move}");
        const QString html = writeFile(u"h.html"_s, "<b>Bold</b> move");

        struct Copy
        {
            const char* what;
            std::function<std::unique_ptr<Helper>()> start;
            QString expected;
        };
        const QList<Copy> copies{
            {"plain text", [&] { return copyWithXclip(m_dir, {}, "Olá, mundo ✓ "); },
             u"text:Olá, mundo ✓ |rtf=-|html=-"_s},
            {"text with RTF and HTML",
             [&] {
                 auto owner = std::make_unique<Helper>(
                     fixture(), QStringList{u"own"_s, u"text/plain="_s + plain, u"text/rtf="_s + rtf,
                                            u"text/html="_s + html});
                 return owner->waitReady() ? std::move(owner) : nullptr;
             },
             u"text:Bold move|rtf={\\rtf1 {\\b Bold} move}|html=<b>Bold</b> move"_s},
            {"one file",
             [&] { return copyWithXclip(m_dir, u"text/uri-list"_s, "file:///tmp/one%20file.txt\r\n"); },
             u"file:file:///tmp/one file.txt"_s},
            {"three files",
             [&] {
                 return copyWithXclip(m_dir, u"text/uri-list"_s,
                                      "# copied\nfile:///tmp/c.txt\nfile:///tmp/a.txt\nfile:///tmp/b.txt\n");
             },
             u"group:file:///tmp/c.txt file:///tmp/a.txt file:///tmp/b.txt"_s},
            {"PNG", [&] { return copyWithXclip(m_dir, u"image/png"_s, png1); },
             u"image:"_s + QString::fromLatin1(png1.toBase64())},
            {"blank text with a PNG",
             [&] {
                 auto owner = std::make_unique<Helper>(
                     fixture(), QStringList{u"own"_s, u"text/plain="_s + blank, u"image/png="_s + image2});
                 return owner->waitReady() ? std::move(owner) : nullptr;
             },
             u"image:"_s + QString::fromLatin1(png2.toBase64())},
        };

        QStringList expectedOrder;
        for (const Copy& copy : copies) {
            auto owner = copy.start();
            QVERIFY2(owner, copy.what);
            QTRY_COMPARE_WITH_TIMEOUT(topOfHistory(), copy.expected, 10000);
            expectedOrder.prepend(copy.expected);
        }
        QCOMPARE(historyList(), expectedOrder);
        QCOMPARE(historyFile(), expectedOrder);
    }

    void badInputNeitherCrashesNorStallsTheGuiThread()
    {
        QByteArray big;
        big.reserve(50 * 1024 * 1024);
        const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\n";
        while (big.size() + line.size() <= 50 * 1024 * 1024)
            big += line;
        QByteArray manyURLs;
        for (int i = 0; i < 10000; ++i)
            manyURLs += "file:///tmp/many/" + QByteArray::number(i) + ".txt\r\n";

        struct Case
        {
            const char* what;
            QString target;
            QByteArray bytes;
            std::function<bool(const ClipboardItem& top)> expect;
        };
        const QByteArray notAnImage("\x89PNG but not really");
        const QList<Case> cases{
            {"50 MB text",
             {},
             big,
             [&](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Text &&
                        top.type().text().size() == big.size();
             }},
            {"invalid UTF-8 as text/plain", u"text/plain"_s, QByteArray("ab\xff\xfe\xc3(cd"),
             [](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Text &&
                        top.type().text().startsWith(u"ab"_s) && top.type().text().endsWith(u"(cd"_s);
             }},
            {"10,000 file URLs", u"text/uri-list"_s, manyURLs,
             [](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::FileGroup &&
                        top.type().fileURLs().size() == 10000 &&
                        top.type().fileURLs().last() == QUrl(u"file:///tmp/many/9999.txt"_s);
             }},
            {"image bytes that are no image", u"image/png"_s, notAnImage,
             [&](const ClipboardItem& top) {
                 return top.type().kind() == ClipboardItemKind::Image && top.type().imageData() == notAnImage;
             }},
        };
        auto topMatches = [this](const Case& c) {
            return !m_history->history().isEmpty() && c.expect(m_history->history().first());
        };

        for (const Case& c : cases) {
            auto owner = copyWithXclip(m_dir, c.target, c.bytes);
            QVERIFY2(owner, c.what);
            QTRY_VERIFY2_WITH_TIMEOUT(topMatches(c), c.what, 30000);
        }

        // Lines that are no URLs: nothing is captured, the previous entry stays on top.
        const QString before = topOfHistory();
        const qsizetype count = m_history->history().size();
        {
            auto owner =
                copyWithXclip(m_dir, u"text/uri-list"_s, "%%%\nnot a url\n\x01\x02\nhttp://\n::::\n");
            QVERIFY(owner);
            const int reads = m_clipboard->reads;
            QTRY_VERIFY_WITH_TIMEOUT(m_clipboard->reads > reads, 30000);
            QVERIFY(waitForTicks(1));
        }
        QCOMPARE(topOfHistory().left(200), before.left(200));
        QCOMPARE(m_history->history().size(), count);
        QCOMPARE(historyFile(), historyList());
    }

    void passwordManagerContentIsNeverCaptured()
    {
        const QString secret = writeFile(u"secret.txt"_s, "correct horse battery staple");
        const QString hint = writeFile(u"hint.txt"_s, "secret");
        const QStringList before = historyList();
        Helper owner(fixture(),
                     {u"own"_s, u"text/plain="_s + secret, u"x-kde-passwordManagerHint="_s + hint});
        QVERIFY(owner.waitReady());
        QTRY_VERIFY_WITH_TIMEOUT(ovelin::x11::platformServices().clipboard->read().concealed, 10000);
        QVERIFY(waitForTicks(2));
        QCOMPARE(historyList(), before);
        const ClipboardSnapshot snapshot = ovelin::x11::platformServices().clipboard->read();
        QVERIFY(!snapshot.text); // not even transferred
    }

    void ownerThatNeverAnswersBlocksOnceAndBoundedly()
    {
        const QByteArray okay = "before the hung owner";
        {
            auto owner = copyWithXclip(m_dir, {}, okay);
            QVERIFY(owner);
            QTRY_COMPARE_WITH_TIMEOUT(topOfHistory(),
                                      u"text:"_s + QString::fromLatin1(okay) + u"|rtf=-|html=-"_s, 10000);
        }
        const QStringList before = historyList();
        const int readsBefore = m_clipboard->reads;
        Helper hung(fixture(), {u"hang"_s});
        QVERIFY(hung.waitReady());
        // The tick that meets the hung owner asks once and comes back (the selection timeout) ...
        QTRY_VERIFY_WITH_TIMEOUT(m_clipboard->reads > readsBefore, 30000);
        QVERIFY(waitForTicks(1));
        const int readsAfterHang = m_clipboard->reads;
        // ... and the ticks after it do not ask again while the owner stays the same.
        QVERIFY(waitForTicks(3));
        QCOMPARE(m_clipboard->reads, readsAfterHang);
        QCOMPARE(historyList(), before);
        QCOMPARE(historyFile(), before);
    }
};

OVELIN_TEST_MAIN(TestX11Clipboard)
#include "tst_x11clipboard.moc"
