// Runs the clipboard monitor as the application runs it (X11 clipboard, a real history store
// writing its file) for a while, so that bench/monitor_cpu.sh can read its CPU time from
// /proc/<pid>/stat while something sits on the clipboard.
//
//   bench_monitor_cpu <seconds>            run the monitor that long, then exit
//   bench_monitor_cpu --make-png <file>    write a PNG of random pixels of about 12 MB

#include <cstdio>

#include <QApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include "history/ClipboardHistory.h"
#include "history/ClipboardMonitor.h"
#include "history/ClipboardStorage.h"
#include "platform/x11/X11Platform.h"

using namespace Qt::StringLiterals;

namespace {

int makePng(const QString& path)
{
    // Noise does not compress: 2000 x 2000 RGB is about 12 MB as PNG.
    QImage image(2000, 2000, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(line), image.bytesPerLine() / 4);
    }
    return image.save(path, "PNG", 0) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--make-png") {
        QGuiApplication app(argc, argv);
        return makePng(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != u"xcb") {
        std::fputs("needs an X server\n", stderr);
        return 2;
    }
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    QTemporaryDir dir;
    ClipboardHistory history(ClipboardStorage::atPath(dir.filePath(u"clipboard_history.json"_s)));
    ClipboardMonitor monitor(&history, *ovelin::x11::platformServices().clipboard);
    monitor.startMonitoring();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    const int status = app.exec();
    history.storage().waitForPendingSaves();
    return status;
}
