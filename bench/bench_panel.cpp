// The history list's cost per keystroke (filter and lay out, then paint) at 500 and 5,000
// items, and opening the panel with 500 items of which 50 are large images; resident memory.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <cstdio>
#include <random>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include "BenchUtil.h"
#include "history/ClipboardHistory.h"
#include "history/ClipboardStorage.h"
#include "panel/FaviconLoader.h"
#include "panel/HistoryListView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/OvelinView.h"

namespace {

const char* const words[] = {"report", "monthly", "invoice", "the",    "meeting", "notes",
                             "budget", "draft",   "review",  "client", "https",   "project",
                             "café",   "update",  "list",    "final"};

QString randomText(std::mt19937& rng)
{
    std::uniform_int_distribution<int> wordCount(2, 60), pick(0, std::size(words) - 1), breakChance(0, 12);
    QString text;
    const int n = wordCount(rng);
    for (int i = 0; i < n; ++i) {
        text += QString::fromUtf8(words[pick(rng)]);
        text += breakChance(rng) == 0 ? u'\n' : u' ';
    }
    return text;
}

QByteArray largePng(int seed)
{
    QImage image(2400, 1600, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 2400, 1600);
    gradient.setColorAt(0, QColor::fromHsv(seed * 7 % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv(seed * 13 % 360, 120, 90));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 200; ++i)
        painter.fillRect((i * 97 + seed) % 2300, (i * 61) % 1500, 100, 100,
                         QColor::fromHsv(i % 360, 255, 255));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QList<ClipboardItem> makeItems(int count, int images, std::mt19937& rng)
{
    QList<ClipboardItem> items;
    double date = 800000000.0;
    const int imageEvery = images > 0 ? count / images : 0;
    for (int i = 0; i < count; ++i) {
        date -= 30;
        ClipboardItemType type = ClipboardItemType::text(randomText(rng));
        if (imageEvery && i % imageEvery == 1)
            type = ClipboardItemType::image(largePng(i));
        else if (i % 10 == 3)
            type =
                ClipboardItemType::file(QUrl::fromLocalFile(QStringLiteral("/nowhere/Report %1.pdf").arg(i)));
        else if (i % 25 == 7)
            type =
                ClipboardItemType::fileGroup({QUrl::fromLocalFile(QStringLiteral("/nowhere/a%1.txt").arg(i)),
                                              QUrl::fromLocalFile(QStringLiteral("/nowhere/b%1.md").arg(i))});
        items << ClipboardItem(QUuid::createUuid(), type, date, images == 0 && i % 50 == 0, std::nullopt,
                               std::nullopt);
    }
    return items;
}

std::unique_ptr<ClipboardHistory> historyWith(const QTemporaryDir& dir, const QList<ClipboardItem>& items)
{
    const QString path = dir.filePath(QStringLiteral("clipboard_history.json"));
    {
        auto storage = ClipboardStorage::atPath(path);
        storage->save(items);
        storage->waitForPendingSaves();
    }
    return std::make_unique<ClipboardHistory>(ClipboardStorage::atPath(path));
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void keystrokes(int count)
{
    std::mt19937 rng(42);
    QTemporaryDir dir;
    auto history = historyWith(dir, makeItems(count, 0, rng));
    OvelinView view(*history);
    view.setItemActions({});
    view.resize(400, 600);
    view.show();
    QApplication::processEvents();

    const QString query = QStringLiteral("report");
    std::vector<double> layout, withPaint;
    for (int round = 0; round < 15; ++round) {
        // Type the word, then erase it, one key at a time.
        QStringList steps;
        for (int i = 1; i <= query.size(); ++i)
            steps << query.left(i);
        for (int i = query.size() - 1; i >= 0; --i)
            steps << query.left(i);
        for (const QString& text : steps) {
            auto start = bench::Clock::now();
            view.setSearchText(text);
            view.listView()->doItemsLayout();
            layout.push_back(bench::millisecondsSince(start));
            (void)view.grab();
            withPaint.push_back(bench::millisecondsSince(start));
        }
    }
    std::printf(
        "keystroke  %5d items: filter+layout median %7.2f ms  p90 %7.2f ms | with paint median %7.2f ms  "
        "p90 %7.2f ms\n",
        count, bench::median(layout), bench::percentile(layout, 0.9), bench::median(withPaint),
        bench::percentile(withPaint, 0.9));
}

void opening()
{
    std::mt19937 rng(7);
    QTemporaryDir dir;
    const double before = residentMegabytes();
    auto history = historyWith(dir, makeItems(500, 50, rng));
    const double loaded = residentMegabytes();
    std::vector<double> open, previews, reopen;
    for (int round = 0; round < 7; ++round) {
        auto start = bench::Clock::now();
        OvelinView view(*history);
        view.setItemActions({});
        view.resize(400, 600);
        view.show();
        // Skip the rows' fade-in so that this paint draws every row on screen.
        view.listView()->setAnimateItemsOnAppear(true);
        view.listView()->animationFinishedForTests();
        (void)view.grab();
        open.push_back(bench::millisecondsSince(start));
        // Until the previews of the rows on screen are decoded (on the workers) and drawn.
        view.listView()->imagePreviews()->waitForIdle();
        (void)view.grab();
        previews.push_back(bench::millisecondsSince(start));
        // The panel is built once and then only shown and hidden.
        for (int i = 0; i < 5; ++i) {
            view.hide();
            auto again = bench::Clock::now();
            view.show();
            view.listView()->setAnimateItemsOnAppear(true);
            view.listView()->animationFinishedForTests();
            (void)view.grab();
            reopen.push_back(bench::millisecondsSince(again));
        }
        // Scrolling through the whole list decodes each image once.
        if (round == 0) {
            for (int y = 0; y < view.listView()->verticalScrollBar()->maximum(); y += 300) {
                view.listView()->verticalScrollBar()->setValue(y);
                (void)view.grab();
            }
            view.listView()->imagePreviews()->waitForIdle();
            std::printf(
                "resident memory: before history %.1f MB, history of 500 loaded %.1f MB, after showing and "
                "decoding every preview %.1f MB\n",
                before, loaded, residentMegabytes());
        }
    }
    std::printf("open 500 items (50 images of 2400x1600 PNG): first build, shown and painted median %.2f ms; "
                "visible previews decoded and drawn median %.2f ms; showing again median %.2f ms\n",
                bench::median(open), bench::median(previews), bench::median(reopen));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FaviconLoader::shared().setNetworkEnabled(false);
    opening();
    keystrokes(500);
    keystrokes(5000);
    return 0;
}
