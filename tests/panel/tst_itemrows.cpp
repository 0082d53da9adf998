#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

#include "app/AppEnvironment.h"
#include "app/Settings.h"
#include "panel/ClipboardItemView.h"
#include "panel/FileIconView.h"
#include "panel/HistoryListView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/RelativeDateFormatter.h"
#include "support/PrintedLines.h"
#include "support/TestMain.h"

#include "PanelTestSupport.h"

using namespace ovelin::test;

namespace {

QByteArray pngBytes(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestItemRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        auto* translator = new QTranslator(this);
        QVERIFY(translator->load(QStringLiteral(":/i18n/ovelin_en.qm")));
        QCoreApplication::installTranslator(translator);
    }

    void displayText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("runs of spaces and line breaks")
            << QStringLiteral("a  b\n\nc") << QStringLiteral("a b c");
        QTest::newRow("single line break stays") << QStringLiteral("one\ntwo") << QStringLiteral("one\ntwo");
        QTest::newRow("single tab stays") << QStringLiteral("one\ttwo") << QStringLiteral("one\ttwo");
        QTest::newRow("tab and space") << QStringLiteral("x\t y") << QStringLiteral("x y");
        QTest::newRow("unicode spaces count") << QStringLiteral("x\u00a0\u2003y") << QStringLiteral("x y");
        QTest::newRow("leading run kept as one space") << QStringLiteral("   x") << QStringLiteral(" x");
    }
    void displayText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ClipboardItemView::displayText(text), expected);
    }

    void longTextShowsThreeLinesEndingWithEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("ellipsis");
        QTest::newRow("many short lines") << QStringLiteral("1\n2\n3\n4\n5") << 3 << true;
        QTest::newRow("exactly three lines") << QStringLiteral("1\n2\n3") << 3 << false;
        QTest::newRow("one long paragraph") << QString(QStringLiteral("word ")).repeated(400) << 3 << true;
        QTest::newRow("one short line") << QStringLiteral("short") << 1 << false;
        QTest::newRow("huge single word") << QString(100000, u'x') << 3 << true;
    }
    void longTextShowsThreeLinesEndingWithEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(bool, ellipsis);
        HistoryListView list;
        const QStringList shown = list.rowDelegate()->textLines(textItem(text, 0), 300);
        QCOMPARE(shown.size(), lines);
        QCOMPARE(shown.last().endsWith(QChar(0x2026)), ellipsis);
        const QFontMetricsF metrics(list.font());
        for (const QString& line : shown)
            QVERIFY2(metrics.horizontalAdvance(line) <= 300.5, qPrintable(line));
    }

    void iconNameForExtension_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("pdf") << QStringLiteral("pdf") << QStringLiteral("doc.richtext");
        QTest::newRow("txt") << QStringLiteral("txt") << QStringLiteral("text.alignleft");
        QTest::newRow("md") << QStringLiteral("md") << QStringLiteral("text.alignleft");
        QTest::newRow("docx") << QStringLiteral("docx") << QStringLiteral("doc");
        QTest::newRow("pages") << QStringLiteral("pages") << QStringLiteral("doc");
        QTest::newRow("none") << QString() << QStringLiteral("doc");
        QTest::newRow("not lowercased by the callee") << QStringLiteral("PDF") << QStringLiteral("doc");
    }
    void iconNameForExtension()
    {
        QFETCH(QString, extension);
        QFETCH(QString, symbol);
        QCOMPARE(FileIconView::iconNameForExtension(extension), symbol);
    }

    void fileIconDisplay_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("display");
        using D = FileIconView::Display;
        QTest::newRow("pdf without thumbnail")
            << QStringLiteral("/x/report.PDF") << true << int(D::ExtensionSymbol);
        QTest::newRow("heic whose thumbnail failed")
            << QStringLiteral("/x/photo.HEIC") << true << int(D::PhotoFallback);
        QTest::newRow("image still loading") << QStringLiteral("/x/photo.jpeg") << false << int(D::Spinner);
        QTest::newRow("other file while loading")
            << QStringLiteral("/x/a.zip") << false << int(D::ExtensionSymbol);
    }
    void fileIconDisplay()
    {
        QFETCH(QString, path);
        QFETCH(bool, failed);
        QFETCH(int, display);
        FileThumbnailer::State state;
        state.failedToLoadThumbnail = failed;
        QCOMPARE(int(FileIconView::displayFor(QUrl::fromLocalFile(path), state)), display);
        state.thumbnail = QImage(4, 4, QImage::Format_RGB32);
        QCOMPARE(FileIconView::displayFor(QUrl::fromLocalFile(path), state),
                 FileIconView::Display::Thumbnail);
    }

    void thumbnails()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("big.png"));
        QVERIFY(QImage::fromData(pngBytes(1000, 500)).save(png));
        const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\xff\xd8\xff garbage");
        }
        const QString plain = dir.filePath(QStringLiteral("notes.txt"));
        {
            QFile f(plain);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("hello");
        }
        const QString cached = dir.filePath(QStringLiteral("slides.odp"));
        {
            QFile f(cached);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("zip");
        }
        // A thumbnail another program left in the shared cache for slides.odp.
        const QString cacheDir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                 QStringLiteral("/thumbnails/normal");
        QVERIFY(QDir().mkpath(cacheDir));
        const QByteArray uri = QUrl::fromLocalFile(cached).toEncoded();
        QImage thumb(128, 96, QImage::Format_RGB32);
        thumb.fill(Qt::blue);
        thumb.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(uri));
        thumb.setText(QStringLiteral("Thumb::MTime"),
                      QString::number(QFileInfo(cached).lastModified().toSecsSinceEpoch()));
        QVERIFY(
            thumb.save(cacheDir + u'/' +
                       QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
                       QStringLiteral(".png")));

        PrintedLines printed;
        FileThumbnailer thumbnailer;
        QSignalSpy changed(&thumbnailer, &FileThumbnailer::thumbnailChanged);
        for (const QString& path : {png, broken, plain, cached, dir.filePath(QStringLiteral("gone.png"))})
            QVERIFY(thumbnailer.state(QUrl::fromLocalFile(path)).pending);
        thumbnailer.waitForIdle();
        QCOMPARE(changed.size(), 5);

        const auto big = thumbnailer.state(QUrl::fromLocalFile(png));
        QVERIFY(!big.thumbnail.isNull());
        const int limit = qRound(64 * FileThumbnailer::backingScale());
        QCOMPARE(big.thumbnail.width(), limit);
        QCOMPARE(big.thumbnail.height(), limit / 2);
        QVERIFY(!thumbnailer.state(QUrl::fromLocalFile(cached)).thumbnail.isNull());
        QVERIFY(thumbnailer.state(QUrl::fromLocalFile(broken)).failedToLoadThumbnail);
        QVERIFY(thumbnailer.state(QUrl::fromLocalFile(plain)).failedToLoadThumbnail);

        // Failures that came with an error are printed; a plain file without thumbnail is not.
        QCOMPARE(printed.count(QStringLiteral("⚠️ Falha ao gerar thumbnail para imagem broken.jpg: ")),
                 1);
        QCOMPARE(printed.count(QStringLiteral("⚠️ Falha ao gerar thumbnail para imagem gone.png: ")), 1);
        QCOMPARE(printed.count(QStringLiteral("⚠️ Falha ao gerar thumbnail para imagem notes.txt")), 0);

        // A failed preview does not retry until it is shown again.
        QVERIFY(!thumbnailer.state(QUrl::fromLocalFile(broken)).pending);
        thumbnailer.forgetFailures();
        QVERIFY(thumbnailer.state(QUrl::fromLocalFile(broken)).pending);
        thumbnailer.waitForIdle();

        // A stale cache entry (the file changed since) is not used.
        QFile f(cached);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(
            f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(FileThumbnailer::makeThumbnail(cached, 128).image.isNull());
    }

    void imagePreviews()
    {
        ImagePreviewCache cache(QSize(300, 60), 1.0);
        const ClipboardItem good = imageItem(pngBytes(2000, 1000), 0);
        const ClipboardItem bad = imageItem(QByteArray("not an image"), 0);
        QImage image;
        QCOMPARE(cache.preview(good.id(), good.type().imageData(), &image),
                 ImagePreviewCache::Status::Pending);
        QCOMPARE(cache.preview(bad.id(), bad.type().imageData(), &image), ImagePreviewCache::Status::Pending);
        cache.waitForIdle();
        QCOMPARE(cache.preview(good.id(), good.type().imageData(), &image), ImagePreviewCache::Status::Ready);
        // Decoded once, kept at the row's size.
        QCOMPARE(image.size(), QSize(120, 60));
        QCOMPARE(cache.preview(bad.id(), bad.type().imageData(), &image),
                 ImagePreviewCache::Status::Undecodable);
        QVERIFY(image.isNull());
    }

    void relativeDate_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<qint64>("secondsAgo");
        QTest::addColumn<QString>("expected");
        const QString en = QStringLiteral("en"), pt = QStringLiteral("pt");
        QTest::newRow("en seconds") << en << qint64(5) << QStringLiteral("5 sec. ago");
        QTest::newRow("en minutes") << en << qint64(125) << QStringLiteral("2 min. ago");
        QTest::newRow("en hours") << en << qint64(3 * 3600 + 5) << QStringLiteral("3 hr. ago");
        QTest::newRow("en one day") << en << qint64(86400) << QStringLiteral("1 day ago");
        QTest::newRow("en days") << en << qint64(3 * 86400) << QStringLiteral("3 days ago");
        QTest::newRow("en weeks") << en << qint64(15 * 86400) << QStringLiteral("2 wk. ago");
        QTest::newRow("en months") << en << qint64(65 * 86400) << QStringLiteral("2 mo. ago");
        QTest::newRow("en years") << en << qint64(800 * 86400) << QStringLiteral("2 yr. ago");
        QTest::newRow("en future") << en << qint64(-120) << QStringLiteral("in 2 min.");
        QTest::newRow("pt seconds") << pt << qint64(5) << QStringLiteral("há 5 seg.");
        QTest::newRow("pt minutes") << pt << qint64(125) << QStringLiteral("há 2 min.");
        QTest::newRow("pt hours") << pt << qint64(3 * 3600) << QStringLiteral("há 3 h");
        QTest::newRow("pt one day") << pt << qint64(86400) << QStringLiteral("há 1 dia");
        QTest::newRow("pt days") << pt << qint64(3 * 86400) << QStringLiteral("há 3 dias");
        QTest::newRow("pt weeks") << pt << qint64(15 * 86400) << QStringLiteral("há 2 sem.");
        QTest::newRow("pt one month") << pt << qint64(35 * 86400) << QStringLiteral("há 1 mês");
        QTest::newRow("pt months") << pt << qint64(65 * 86400) << QStringLiteral("há 2 meses");
        QTest::newRow("pt one year") << pt << qint64(400 * 86400) << QStringLiteral("há 1 ano");
        QTest::newRow("pt future") << pt << qint64(-120) << QStringLiteral("em 2 min.");
    }
    void relativeDate()
    {
        QFETCH(QString, language);
        QFETCH(qint64, secondsAgo);
        QFETCH(QString, expected);
        // The language setting wins over the system language.
        AppEnvironment::shared().setLanguage(language);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QCOMPARE(RelativeDateFormatter::forCurrentLanguage().localizedString(now.addSecs(-secondsAgo), now),
                 expected);
    }

    void actionMenu_data()
    {
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<bool>("mostRecent");
        QTest::addColumn<QStringList>("entries");
        const QString copy = QStringLiteral("copy_again"), pin = QStringLiteral("pin_to_top"),
                      unpin = QStringLiteral("unpin"), del = QStringLiteral("delete"),
                      divider = QStringLiteral("-");
        QTest::newRow("unpinned") << false << false << QStringList{copy, pin, divider, del};
        QTest::newRow("most recent unpinned") << false << true << QStringList{copy, pin, divider};
        QTest::newRow("pinned") << true << false << QStringList{copy, unpin, divider, del};
    }
    void actionMenu()
    {
        QFETCH(bool, pinned);
        QFETCH(bool, mostRecent);
        QFETCH(QStringList, entries);
        ClipboardItem item = textItem(QStringLiteral("x"), 0);
        item.setPinned(pinned);
        std::unique_ptr<QMenu> menu(ClipboardItemView::makeActionMenu(item, mostRecent, nullptr));
        QStringList shown;
        for (QAction* action : menu->actions())
            shown << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(shown, entries);
    }

    void mostRecentIsFirstShownUnpinnedRow()
    {
        HistoryListModel model;
        ClipboardItem pinned = textItem(QStringLiteral("p"), 3);
        pinned.setPinned(true);
        model.setItems({pinned, textItem(QStringLiteral("a"), 2), textItem(QStringLiteral("b"), 1)});
        QCOMPARE(model.mostRecentRow(), 1);
        model.setItems({pinned});
        QCOMPARE(model.mostRecentRow(), -1);
    }

    void fileGroupTiles_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("tiles");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("six") << 6 << 6 << QStringList{};
        QTest::newRow("nine") << 9 << 6
                              << QStringList{QStringLiteral("f7.txt"), QStringLiteral("f8.txt"),
                                             QStringLiteral("f9.txt")};
        QTest::newRow("two") << 2 << 2 << QStringList{};
    }
    void fileGroupTiles()
    {
        QFETCH(int, files);
        QFETCH(int, tiles);
        QFETCH(QStringList, remaining);
        QStringList paths;
        for (int i = 1; i <= files; ++i)
            paths << QStringLiteral("/nowhere/f%1.txt").arg(i);
        const ClipboardItem item = groupItem(paths, 0);
        HistoryListView list;
        list.resize(400, 600);
        const QRect rect(0, 0, 386, 100);
        const auto g = list.rowDelegate()->geometry(item, rect, 0, 1);
        QCOMPARE(g.tiles.size(), tiles);
        QCOMPARE(g.moreCaption.isEmpty(), remaining.isEmpty());
        QCOMPARE(ClipboardItemView::remainingFileNames(item), remaining);
        if (!remaining.isEmpty()) {
            QCOMPARE(list.rowDelegate()->toolTipAt(item, rect, 0, 1, g.moreCaption.center()),
                     remaining.join(u'\n'));
        }
        QCOMPARE(list.rowDelegate()->toolTipAt(item, rect, 0, 1, g.tiles.first().center()),
                 QStringLiteral("f1.txt"));
        // The count caption and "+N" go through the translations.
        QCOMPARE(ClipboardItemView::moreFilesCaption(3), QStringLiteral("+3"));
        QCOMPARE(ClipboardItemView::fileCountCaption(files), QStringLiteral("%1 files").arg(files));
    }
};

OVELIN_TEST_MAIN(TestItemRows)
#include "tst_itemrows.moc"
