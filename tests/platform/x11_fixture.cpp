// The other applications of the X11 tests, in one small program:
//   paste-target --class <WM_CLASS class> --out <file>
//       A text editor window that records every modified key press and every paste it receives.
//   own <mime>=<file> ...
//       Takes the clipboard with these representations and keeps it until killed.
//   hang
//       Takes the clipboard and never answers a request for it.
// Each mode prints "ready" on standard output once it is in place.

#include <cstdio>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace Qt::StringLiterals;

namespace {

void ready()
{
    std::puts("ready");
    std::fflush(stdout);
}

class PasteTarget : public QPlainTextEdit
{
public:
    explicit PasteTarget(const QString& out) : m_out(out) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool modifierKey = event->key() == Qt::Key_Control || event->key() == Qt::Key_Shift ||
                                 event->key() == Qt::Key_Alt || event->key() == Qt::Key_Meta;
        if ((event->modifiers() & Qt::ControlModifier) && !modifierKey)
            record("key " +
                   QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText).toUtf8());
        QPlainTextEdit::keyPressEvent(event);
    }

    bool canInsertFromMimeData(const QMimeData*) const override { return true; }

    void insertFromMimeData(const QMimeData* source) override
    {
        QByteArray urls;
        for (const QUrl& url : source->urls())
            urls += url.toEncoded() + ' ';
        record("paste formats=" + source->formats().join(u',').toUtf8() +
               " text=" + source->text().toUtf8().toBase64() + " urls=" + urls.trimmed());
        QPlainTextEdit::insertFromMimeData(source);
    }

private:
    void record(const QByteArray& line)
    {
        QFile file(m_out);
        if (file.open(QIODevice::Append))
            file.write(line + '\n');
    }

    QString m_out;
};

int pasteTarget(QApplication& app, const QStringList& args)
{
    const QString windowClass = args.value(args.indexOf(u"--class"_s) + 1);
    const QString out = args.value(args.indexOf(u"--out"_s) + 1);
    PasteTarget editor(out);
    editor.setWindowTitle(u"Paste Target"_s);
    editor.resize(400, 300);
    // Set our own WM_CLASS before the window is mapped, as the application under test would see it.
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (x11) {
        QByteArray instance = "pastetarget";
        QByteArray klass = windowClass.toLatin1();
        XClassHint hint{instance.data(), klass.data()};
        XSetClassHint(x11->display(), static_cast<Window>(editor.winId()), &hint);
        XFlush(x11->display());
    }
    editor.show();
    editor.activateWindow();
    QTimer::singleShot(0, [] { ready(); });
    return app.exec();
}

int own(QApplication& app, const QStringList& args)
{
    auto* mime = new QMimeData;
    for (const QString& arg : args) {
        const qsizetype eq = arg.indexOf(u'=');
        if (eq <= 0)
            continue;
        QFile file(arg.mid(eq + 1));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        mime->setData(arg.left(eq), file.readAll());
    }
    QApplication::clipboard()->setMimeData(mime);
    QTimer::singleShot(0, [] { ready(); });
    return app.exec();
}

int hang()
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return 2;
    const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, "CLIPBOARD", False), window, CurrentTime);
    XSync(dpy, False);
    ready();
    // Requests pile up unread: this owner never answers.
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "hang")
        return hang();
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QString() : args.takeFirst();
    if (mode == u"paste-target")
        return pasteTarget(app, args);
    if (mode == u"own")
        return own(app, args);
    std::fputs("usage: x11_fixture paste-target|own|hang ...\n", stderr);
    return 2;
}
