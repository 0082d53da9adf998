// The other applications of the X11 tests, in one small program:
//   paste-target --class <WM_CLASS class> --out <file> [--title <title>]
//       A text editor window that records every key press with Ctrl or Shift and every paste it
//       receives (Shift+Insert pastes the primary selection); ready once it has the focus.
//   own [--class <WM_CLASS class>] <mime>=<file> ...
//       Takes the clipboard with these representations and keeps it until killed; with a class,
//       also shows a window of that class.
//   hang [retake ms]
//       Takes the clipboard and never answers a request for it; takes it anew every <retake ms>.
//   misbehave die|incr-stop|incr-lie|many-targets
//       Takes the clipboard offering text and answers the list of formats; asked for the text it
//       exits (die), announces an incremental transfer and sends nothing more (incr-stop), or
//       announces 10 bytes and sends 100,000 'x' in chunks (incr-lie). many-targets lists
//       1,000,000 formats (the text first, then a thousand made-up ones over and over) and
//       answers the text "offered among a million formats".
//   burst <count>
//       Copies the texts "burst 1" ... "burst <count>", each once it was read, then prints "done".
// Each mode prints "ready" on standard output once it is in place.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <X11/Xatom.h>
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
        const bool modifierKey = event->key() >= Qt::Key_Shift && event->key() <= Qt::Key_Alt;
        if ((event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) && !modifierKey)
            record("key " +
                   QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText).toUtf8());
        // As in xterm, Shift+Insert pastes the primary selection.
        const QMimeData* primary = QApplication::clipboard()->mimeData(QClipboard::Selection);
        if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier && primary)
            insertFromMimeData(primary);
        else
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

// Sets the window's WM_CLASS before it is mapped, as the application under test would see it.
void setWindowClass(QApplication& app, QWidget& window, const QString& windowClass,
                    const QByteArray& instance)
{
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    QByteArray instanceName = instance;
    QByteArray klass = windowClass.toLatin1();
    XClassHint hint{instanceName.data(), klass.data()};
    XSetClassHint(x11->display(), static_cast<Window>(window.winId()), &hint);
    XFlush(x11->display());
}

int pasteTarget(QApplication& app, const QStringList& args)
{
    const QString windowClass = args.value(args.indexOf(u"--class"_s) + 1);
    const QString out = args.value(args.indexOf(u"--out"_s) + 1);
    PasteTarget editor(out);
    editor.setWindowTitle(args.contains(u"--title"_s) ? args.value(args.indexOf(u"--title"_s) + 1)
                                                      : u"Paste Target"_s);
    editor.resize(400, 300);
    setWindowClass(app, editor, windowClass, "pastetarget");
    editor.show();
    editor.activateWindow();
    // Keys typed before the window manager handed it the focus would go elsewhere.
    (void)QTest::qWaitForWindowActive(&editor, 10000);
    ready();
    return app.exec();
}

int own(QApplication& app, QStringList args)
{
    // With a class, a small window of that class stands for the application's own window.
    std::unique_ptr<QWidget> window;
    if (const qsizetype at = args.indexOf(u"--class"_s); at >= 0 && at + 1 < args.size()) {
        window = std::make_unique<QWidget>();
        window->resize(50, 50);
        setWindowClass(app, *window, args.at(at + 1), "owner");
        window->show();
        args.remove(at, 2);
        // The window manager lists the window before it shows it: once exposed, the clipboard's
        // reader can name this application.
        (void)QTest::qWaitForWindowExposed(window.get(), 30000);
    }
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

// A bare window of plain Xlib that owns the clipboard, so no toolkit answers on its behalf.
Window takeClipboard(Display* dpy)
{
    const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, "CLIPBOARD", False), window, CurrentTime);
    XSync(dpy, False);
    ready();
    return window;
}

int hang(Display* dpy, int retakeMs)
{
    const Window window = takeClipboard(dpy);
    // Requests pile up unread: this owner never answers.
    for (;;) {
        std::this_thread::sleep_for(retakeMs > 0 ? std::chrono::milliseconds(retakeMs)
                                                 : std::chrono::hours(1));
        XSetSelectionOwner(dpy, XInternAtom(dpy, "CLIPBOARD", False), window, CurrentTime);
        XFlush(dpy);
    }
}

void notify(Display* dpy, const XSelectionRequestEvent& request, Atom property)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = property;
    reply.xselection.time = request.time;
    XSendEvent(dpy, request.requestor, False, 0, &reply);
    XFlush(dpy);
}

int misbehave(Display* dpy, const QByteArray& mode)
{
    const struct
    {
        Atom targets, utf8, incr;
    } atoms{XInternAtom(dpy, "TARGETS", False), XInternAtom(dpy, "UTF8_STRING", False),
            XInternAtom(dpy, "INCR", False)};
    takeClipboard(dpy);
    for (;;) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent request = event.xselectionrequest;
        if (request.target == atoms.targets) {
            std::vector<Atom> offered{atoms.targets, atoms.utf8};
            if (mode == "many-targets") {
                std::vector<Atom> madeUp;
                for (int i = 0; i < 1000; ++i) {
                    const QByteArray name = "OVELIN_TEST_FORMAT_" + QByteArray::number(i);
                    madeUp.push_back(XInternAtom(dpy, name.constData(), False));
                }
                offered.reserve(1'000'000);
                while (offered.size() < 1'000'000)
                    offered.push_back(madeUp[offered.size() % madeUp.size()]);
            }
            XChangeProperty(dpy, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered.data()), int(offered.size()));
            notify(dpy, request, request.property);
            continue;
        }
        if (mode == "many-targets") {
            const QByteArray text = "offered among a million formats";
            XChangeProperty(dpy, request.requestor, request.property, atoms.utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text.constData()), int(text.size()));
            notify(dpy, request, request.property);
            continue;
        }
        if (mode == "die")
            std::_Exit(0);
        const long announced = mode == "incr-lie" ? 10 : 1'000'000;
        XSelectInput(dpy, request.requestor, PropertyChangeMask);
        XChangeProperty(dpy, request.requestor, request.property, atoms.incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&announced), 1);
        notify(dpy, request, request.property);
        if (mode == "incr-stop")
            continue; // the requestor waits for chunks that never come
        // Each chunk once the requestor took the previous value; an empty chunk ends.
        int sent = 0;
        const QByteArray chunk(10'000, 'x');
        while (sent <= 100'000) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type != PropertyNotify || e.xproperty.window != request.requestor ||
                e.xproperty.atom != request.property || e.xproperty.state != PropertyDelete)
                continue;
            const int length = sent < 100'000 ? int(chunk.size()) : 0;
            XChangeProperty(dpy, request.requestor, request.property, atoms.utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(chunk.constData()), length);
            XFlush(dpy);
            sent += length == 0 ? 1 : length;
        }
    }
}

// Text that notes when a reader asked for it.
class NotingMimeData : public QMimeData
{
public:
    explicit NotingMimeData(int* reads) : m_reads(reads) {}

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override
    {
        ++*m_reads;
        return QMimeData::retrieveData(type, metaType);
    }

private:
    int* m_reads;
};

int burst(int count)
{
    ready();
    static int reads = 0;
    for (int i = 1; i <= count; ++i) {
        const int before = reads;
        auto* mime = new NotingMimeData(&reads);
        mime->setText(QStringLiteral("burst %1").arg(i));
        QApplication::clipboard()->setMimeData(mime);
        if (!QTest::qWaitFor([&] { return reads > before; }, 30000))
            return 1;
    }
    std::puts("done");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray bare = argc >= 2 ? argv[1] : "";
    if (bare == "hang" || (bare == "misbehave" && argc >= 3)) {
        Display* dpy = XOpenDisplay(nullptr);
        if (!dpy)
            return 2;
        return bare == "hang" ? hang(dpy, argc >= 3 ? std::atoi(argv[2]) : 0) : misbehave(dpy, argv[2]);
    }
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QString() : args.takeFirst();
    if (mode == u"paste-target")
        return pasteTarget(app, args);
    if (mode == u"own")
        return own(app, args);
    if (mode == u"burst" && args.size() == 1)
        return burst(args.at(0).toInt());
    std::fputs("usage: x11_fixture paste-target|own|hang|misbehave|burst ...\n", stderr);
    return 2;
}
