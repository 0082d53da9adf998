// The other application of the Wayland input tests: a window with the app id and title given
// on the command line. Prints "active" and "inactive" as it gains and loses the keyboard focus,
// "key <keys>" for every key press other than a lone modifier ("key Ctrl+Shift+V"), and after a
// paste keystroke "paste <the clipboard's text or file URLs, base64>".
// Usage: wayland_window <app id> <title>

#include <cstdio>

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QPainter>
#include <QRasterWindow>

namespace {

void print(const QByteArray& line)
{
    std::puts(line.constData());
    std::fflush(stdout);
}

// The text, or the file URLs separated by spaces.
QString clipboardText()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasUrls())
        return QGuiApplication::clipboard()->text();
    QStringList urls;
    for (const QUrl& url : mime->urls())
        urls << url.toString();
    return urls.join(u' ');
}

class ProbeWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::white); }
    void keyPressEvent(QKeyEvent* event) override
    {
        const int key = event->key();
        if (key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta)
            return;
        const QString keys = QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText);
        print("key " + keys.toUtf8());
        if (keys == u"Ctrl+V" || keys == u"Ctrl+Shift+V" || keys == u"Shift+Ins")
            print("paste " + clipboardText().toUtf8().toBase64());
    }
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    ProbeWindow window;
    window.setTitle(QString::fromLocal8Bit(argv[2]));
    window.resize(320, 200);
    QObject::connect(&window, &QWindow::activeChanged,
                     [&window] { print(window.isActive() ? "active" : "inactive"); });
    window.show();
    return app.exec();
}
