// Ovelin measured as the clipboard managers are compared: copies in quick succession, the
// shortcut while the clipboard's owner does not answer, the cost of idling, and the start with a
// 100 MB history. Runs the real executable on $DISPLAY (for example inside scripts/xsession.sh),
// each run in a throw-away HOME, and prints medians over the runs:
//     bench_capture [runs] [idle seconds] [executable]
// Give another build's executable to compare it with this one.

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include "BenchUtil.h"
#include "history/ClipboardItem.h"
#include "history/HistoryFileCodec.h"

#include "X11Bench.h"

using namespace bench;

namespace {

QString executable = QStringLiteral(OVELIN_EXECUTABLE);

// The benchmark itself owns the clipboard for the burst and the hung owner: it answers requests
// for TARGETS and UTF8_STRING, or none at all.
struct Owner
{
    Display* dpy;
    Window window;
    Atom clipboard, targets, utf8;
    QByteArray text;
    bool answering = true;

    explicit Owner(Display* d)
        : dpy(d), window(XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)),
          clipboard(XInternAtom(d, "CLIPBOARD", False)), targets(XInternAtom(d, "TARGETS", False)),
          utf8(XInternAtom(d, "UTF8_STRING", False))
    {
    }

    void take(const QByteArray& newText, bool answer = true)
    {
        text = newText;
        answering = answer;
        XSetSelectionOwner(dpy, clipboard, window, CurrentTime);
        XFlush(dpy);
    }

    void handle(XEvent& event)
    {
        if (event.type != SelectionRequest || !answering)
            return;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        Atom property = request.property;
        if (request.target == targets) {
            const Atom offered[] = {targets, utf8};
            XChangeProperty(dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 2);
        } else if (request.target == utf8) {
            XChangeProperty(dpy, request.requestor, property, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text.constData()), int(text.size()));
        } else {
            property = None;
        }
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
};

// One run of the executable in a HOME of its own.
class Ovelin
{
public:
    explicit Ovelin(const QList<ClipboardItem>& history = {})
    {
        for (const char* sub : {"config/Ovelin", "data/Ovelin", "cache"})
            QDir(m_home.path()).mkpath(QString::fromLatin1(sub));
        QFile config(m_home.filePath(QStringLiteral("config/Ovelin/Ovelin.conf")));
        if (config.open(QIODevice::WriteOnly))
            config.write("[General]\nhistoryLimit=500\n");
        if (!history.isEmpty()) {
            QFile file(historyPath());
            if (file.open(QIODevice::WriteOnly))
                file.write(HistoryFileCodec::encode(history));
        }
    }
    ~Ovelin()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    QString historyPath() const
    {
        return m_home.filePath(QStringLiteral("data/Ovelin/clipboard_history.json"));
    }
    QString folder(const char* sub) const { return m_home.filePath(QString::fromLatin1(sub)); }
    qint64 pid() const { return m_process.processId(); }
    void readOutput()
    {
        m_process.waitForReadyRead(0);
        m_output += m_process.readAllStandardOutput();
    }
    bool printed(const char* text) const { return m_output.contains(text); }

    // Starts and waits for the panel; the times from the start to the panel being mapped and to
    // the view having rendered its list.
    bool start(Session& s, double* mappedMs = nullptr, double* listMs = nullptr)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder("data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder("cache"));
        environment.insert(QStringLiteral("OVELIN_ANALYTICS_URL"), QStringLiteral("http://127.0.0.1:9/"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The previous run's panel must be gone from the window manager's list first.
        s.panel = 0;
        const auto gone = Clock::now();
        while (findPanel(s) && millisecondsSince(gone) < 10000)
            QThread::msleep(50);
        const auto started = Clock::now();
        m_process.start(executable, {});
        double mapped = -1, list = -1;
        while (millisecondsSince(started) < 30000 && (mapped < 0 || list < 0 || !printed("Monitoramento"))) {
            m_process.waitForReadyRead(5);
            m_output += m_process.readAllStandardOutput();
            if (list < 0 && printed("OvelinView foi renderizada"))
                list = millisecondsSince(started);
            if (mapped < 0 && (s.panel || (s.panel = findPanel(s)))) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(s.dpy, s.panel, &attributes) && attributes.map_state == IsViewable)
                    mapped = millisecondsSince(started);
            }
        }
        if (mappedMs)
            *mappedMs = mapped;
        if (listMs)
            *listMs = list;
        if (mapped < 0) {
            std::fprintf(stderr, "no panel on screen\n");
            return false;
        }
        XSelectInput(s.dpy, s.panel, StructureNotifyMask);
        XSelectInput(s.dpy, s.root, PropertyChangeMask);
        s.mapped = true;
        return true;
    }

    QStringList historyTexts() const
    {
        QFile file(historyPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList texts;
        for (const ClipboardItem& item : HistoryFileCodec::decode(file.readAll()).items) {
            if (item.type().kind() == ClipboardItemKind::Text)
                texts << item.type().text();
        }
        return texts;
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_output;
};

// The panel is shown at start; the shortcut hides it once it has the focus.
bool hidePanel(Session& s)
{
    // The shortcut may not be registered yet right after start.
    for (int attempt = 0; attempt < 4; ++attempt) {
        waitUntil(
            s, [&s] { return s.active = activeWindow(s) == s.panel; }, 3000);
        pressShortcut(s);
        if (waitUntil(
                s, [&s] { return !s.mapped; }, 3000))
            return true;
    }
    std::fprintf(stderr, "the shortcut did not hide the panel\n");
    return false;
}

// Runs the session's events for a while, answering clipboard requests.
void pump(Session& s, Owner& owner, int ms)
{
    waitUntil(
        s, [] { return false; }, ms, [&owner](XEvent& e) { owner.handle(e); });
}

int burstKept(Session& s, int count, int intervalMs, int run)
{
    Ovelin ovelin;
    if (!ovelin.start(s) || !hidePanel(s))
        return -1;
    Owner owner(s.dpy);
    pump(s, owner, 1500); // past start-up and the first tick
    const QByteArray prefix = "burst " + QByteArray::number(run) + '-';
    for (int i = 1; i <= count; ++i) {
        owner.take(prefix + QByteArray::number(i));
        pump(s, owner, intervalMs);
    }
    const QByteArray sentinel = "sentinel " + QByteArray::number(run);
    owner.take(sentinel);
    const auto waited = Clock::now();
    while (!ovelin.historyTexts().contains(QString::fromLatin1(sentinel)) &&
           millisecondsSince(waited) < 15000)
        pump(s, owner, 200);
    int kept = 0;
    for (const QString& text : ovelin.historyTexts())
        kept += text.startsWith(QString::fromLatin1(prefix)) ? 1 : 0;
    s.panel = 0;
    return kept;
}

// Key press to panel mapped, each time just after an owner that never answers took the clipboard.
std::vector<double> hungOwnerToggles(Session& s, int toggles)
{
    std::vector<double> samples;
    Ovelin ovelin;
    if (!ovelin.start(s) || !hidePanel(s))
        return samples;
    Owner owner(s.dpy);
    for (int i = 0; i < toggles; ++i) {
        owner.take("never sent " + QByteArray::number(i), false);
        pump(s, owner, 50);
        const auto pressed = Clock::now();
        pressShortcut(s);
        if (waitUntil(
                s, [&s] { return s.mapped; }, 15000))
            samples.push_back(millisecondsSince(pressed));
        pressShortcut(s);
        waitUntil(
            s, [&s] { return !s.mapped; }, 15000);
        pump(s, owner, 300);
    }
    s.panel = 0;
    return samples;
}

qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
}

qint64 writeBytes(qint64 pid)
{
    QFile io(QStringLiteral("/proc/%1/io").arg(pid));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("write_bytes:"))
            return line.mid(12).trimmed().toLongLong();
    }
    return -1;
}

struct Idle
{
    double cpuPercent = -1;
    qint64 bytesWritten = -1;
    int fileEvents = -1;
};

// The panel hidden, `file` on the clipboard (held by xclip), nothing else happening.
Idle idle(Session& s, const QString& target, const QString& file, int seconds)
{
    Idle result;
    QProcess xclip;
    xclip.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                 QStringLiteral("-t"), target, QStringLiteral("-i"), file});
    Ovelin ovelin;
    if (!ovelin.start(s) || !hidePanel(s))
        return result;
    QThread::sleep(4); // the first capture and its save
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const char* folder : {"config", "config/Ovelin", "data", "data/Ovelin"})
        inotify_add_watch(watch, QFile::encodeName(ovelin.folder(folder)).constData(),
                          IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_DELETE);
    const qint64 ticksBefore = cpuTicks(ovelin.pid());
    const qint64 bytesBefore = writeBytes(ovelin.pid());
    QThread::sleep(seconds);
    const qint64 ticks = cpuTicks(ovelin.pid()) - ticksBefore;
    result.bytesWritten = writeBytes(ovelin.pid()) - bytesBefore;
    result.cpuPercent = 100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) / seconds;
    char buffer[64 * 1024];
    result.fileEvents = 0;
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<inotify_event*>(p);
            ++result.fileEvents;
            p += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    xclip.kill();
    xclip.waitForFinished(3000);
    s.panel = 0;
    return result;
}

QByteArray noisePng(int side)
{
    QImage image(side, side, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(image.scanLine(y)),
                                              image.bytesPerLine() / 4);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return png;
}

// 20 images of about 5 MB in the file (3.75 MB as Base64) and 480 texts: 100 MB.
QList<ClipboardItem> bigHistory()
{
    const QByteArray png = noisePng(1118);
    QList<ClipboardItem> items;
    for (int i = 0; i < 500; ++i) {
        // Distinct bytes per image; PNG readers stop at the end chunk.
        auto type = i % 25 == 0
                        ? ClipboardItemType::image(png + QByteArray::number(i))
                        : ClipboardItemType::text(QStringLiteral("Entry %1: a line of copied text").arg(i));
        items.append(
            ClipboardItem(QUuid::createUuid(), type, 786000000.0 - i, false, std::nullopt, std::nullopt));
    }
    return items;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // for encoding images; the X work is done with Xlib
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    if (argc > 3)
        executable = QString::fromLocal8Bit(argv[3]);
    Session s;
    s.dpy = XOpenDisplay(nullptr);
    if (!s.dpy) {
        std::fprintf(stderr,
                     "bench_capture needs an X display (source scripts/xsession.sh; ovelin_x_start)\n");
        return 2;
    }
    // Windows of a run that just ended may vanish between two requests.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    s.root = DefaultRootWindow(s.dpy);
    s.activeAtom = XInternAtom(s.dpy, "_NET_ACTIVE_WINDOW", False);
    std::printf("%s, %d runs\n", qPrintable(executable), runs);

    std::vector<double> kept10, kept20;
    for (int run = 0; run < runs; ++run) {
        kept10.push_back(burstKept(s, 10, 150, 2 * run));
        kept20.push_back(burstKept(s, 20, 100, 2 * run + 1));
    }
    std::printf("  10 texts copied 150 ms apart, kept: median %.0f\n", median(kept10));
    std::printf("  20 texts copied 100 ms apart, kept: median %.0f\n", median(kept20));

    std::vector<double> toggles;
    for (int run = 0; run < runs; ++run) {
        const std::vector<double> samples = hungOwnerToggles(s, 5);
        toggles.insert(toggles.end(), samples.begin(), samples.end());
    }
    std::printf(
        "  owner that never answers, key press -> panel mapped: median %.1f ms, max %.1f ms (%zu samples)\n",
        median(toggles), toggles.empty() ? 0.0 : *std::max_element(toggles.begin(), toggles.end()),
        toggles.size());

    QTemporaryDir work;
    const QString shortText = work.filePath(QStringLiteral("short.txt"));
    const QString bigImage = work.filePath(QStringLiteral("big.png"));
    {
        QFile text(shortText);
        if (text.open(QIODevice::WriteOnly))
            text.write("Copied text for the benchmark");
        QFile image(bigImage);
        if (image.open(QIODevice::WriteOnly))
            image.write(noisePng(2000)); // about 12 MB
    }
    for (const auto& [label, target, file] :
         {std::tuple{"short text", QStringLiteral("UTF8_STRING"), shortText},
          std::tuple{"12 MB PNG", QStringLiteral("image/png"), bigImage}}) {
        std::vector<double> cpu, bytes, events;
        for (int run = 0; run < runs; ++run) {
            const Idle result = idle(s, target, file, idleSeconds);
            cpu.push_back(result.cpuPercent);
            bytes.push_back(double(result.bytesWritten));
            events.push_back(result.fileEvents);
        }
        std::printf(
            "  idle %ds, %s on the clipboard: cpu median %.3f %% of a core, written median %.0f bytes, "
            "file events in the data and config folders median %.0f\n",
            idleSeconds, label, median(cpu), median(bytes), median(events));
    }

    const QList<ClipboardItem> history = bigHistory();
    std::vector<double> mapped, listed, peak;
    double fileMB = 0;
    for (int run = 0; run < runs; ++run) {
        Ovelin ovelin(history);
        fileMB = double(QFileInfo(ovelin.historyPath()).size()) / (1 << 20);
        double mappedMs = -1, listMs = -1;
        if (!ovelin.start(s, &mappedMs, &listMs))
            continue;
        QThread::sleep(2);
        mapped.push_back(mappedMs);
        listed.push_back(listMs);
        peak.push_back(double(statusKilobytes(ovelin.pid(), "VmHWM")) / 1024);
        s.panel = 0;
    }
    std::printf("  start with a %.0f MB history: panel mapped median %.0f ms, list rendered median %.0f ms, "
                "peak memory median %.0f MB (%.2f x the file)\n",
                fileMB, median(mapped), median(listed), median(peak), fileMB > 0 ? median(peak) / fileMB : 0);
    XCloseDisplay(s.dpy);
    return 0;
}
