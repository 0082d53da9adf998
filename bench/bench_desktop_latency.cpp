// The latencies a person feels on a Wayland desktop, for the real executable: a copy → Ovelin's
// capture line, the stored shortcut (Ctrl+Super+V) pressed → the panel holds the keyboard (the
// window below hears it lose the focus), and Return in the panel → the paste keys arriving in that
// window. Keys come through KWin's fake input on KWin, a virtual keyboard of this program's own on
// sway (each one connection for the whole run, so both count from the key press) and a virtual
// keyboard of GNOME Shell's (asked over D-Bus, the call counted). Copies come from wl-copy (its
// start counted) on KWin and sway, from the shell on GNOME, whose seat gives clients no serial.
// On GNOME it also measures the longest stall of the shell's main loop (no frame can be drawn
// during it) while Ovelin reads a 60 MB image from the clipboard, against a small image.
// Run inside a session by bench/desktop_latency.sh, which prints the desktops side by side:
//     bench_desktop_latency [repetitions] [results file]
// Prints "<desktop> <measure>: median … ms" and appends "<desktop> <measure> <median>" to the file.

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "BenchUtil.h"
#include "KwinFakeInput.h"
#include "OvelinEnvironment.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

using namespace Qt::StringLiterals;
using namespace bench;

namespace {

constexpr int timeoutMs = 30000;
const QList<uint32_t> storedShortcut{KEY_LEFTCTRL, KEY_LEFTMETA, KEY_V};

// Runs the event loop until `done` holds or the time-out passes; events are handled as they come.
bool waitUntil(const std::function<bool()>& done, int ms = timeoutMs)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(ms);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// A process whose printed lines are kept with the moment each arrived.
class Printer
{
public:
    void start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = {})
    {
        if (!environment.isEmpty())
            m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead, [this] {
            m_pending += m_process.readAll();
            for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
                m_lines.push_back({QString::fromUtf8(m_pending.left(end)), Clock::now()});
        });
        m_process.start(program, arguments);
    }
    ~Printer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    /// The moment of the first line from `from` on that starts with one of `prefixes`; its index
    /// in `*index`.
    std::optional<Clock::time_point> waitFor(const QStringList& prefixes, size_t from = 0, size_t* index = nullptr,
                                             int ms = timeoutMs)
    {
        std::optional<Clock::time_point> when;
        waitUntil(
            [&] {
                for (size_t i = from; i < m_lines.size() && !when; ++i) {
                    if (std::any_of(prefixes.begin(), prefixes.end(),
                                    [&](const QString& prefix) { return m_lines[i].first.startsWith(prefix); })) {
                        when = m_lines[i].second;
                        if (index)
                            *index = i;
                    }
                }
                return when || m_process.state() == QProcess::NotRunning;
            },
            ms);
        return when;
    }
    std::optional<Clock::time_point> waitFor(const QString& prefix, size_t from = 0, size_t* index = nullptr,
                                             int ms = timeoutMs)
    {
        return waitFor(QStringList{prefix}, from, index, ms);
    }
    size_t count() const { return m_lines.size(); }
    QString output() const
    {
        QString all;
        for (const auto& line : m_lines)
            all += line.first + u'\n';
        return all;
    }

private:
    QProcess m_process;
    QByteArray m_pending;
    std::vector<std::pair<QString, Clock::time_point>> m_lines;
};

// One virtual keyboard (zwp_virtual_keyboard_v1) with a "us" keymap, for the whole run: the
// modifiers go with every key, as a real keyboard's would.
class VirtualKeyboard
{
public:
    VirtualKeyboard() : m_display(wl_display_connect(nullptr))
    {
        if (!m_display)
            return;
        static const wl_registry_listener listener{
            [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
                auto* self = static_cast<VirtualKeyboard*>(data);
                if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
                    self->m_manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
                        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
                else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->m_seat)
                    self->m_seat =
                        static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(wl_display_get_registry(m_display), &listener, this);
        wl_display_roundtrip(m_display);
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names{nullptr, nullptr, "us", nullptr, nullptr};
        m_keymap =
            context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
        xkb_context_unref(context);
        char* text = m_keymap ? xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
        if (!m_manager || !m_seat || !text) {
            std::free(text);
            return;
        }
        const size_t size = std::strlen(text) + 1;
        const int fd = memfd_create("bench-keymap", MFD_CLOEXEC);
        if (fd >= 0 && ::write(fd, text, size) == ssize_t(size)) {
            m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
            zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
            m_state = xkb_state_new(m_keymap);
        }
        if (fd >= 0)
            ::close(fd);
        std::free(text);
        wl_display_roundtrip(m_display);
    }
    ~VirtualKeyboard()
    {
        xkb_state_unref(m_state);
        xkb_keymap_unref(m_keymap);
        if (m_display)
            wl_display_disconnect(m_display);
    }
    bool isAvailable() const { return m_keyboard && m_state; }
    bool press(const QList<uint32_t>& keys)
    {
        for (uint32_t key : keys)
            send(key, true);
        for (auto key = keys.crbegin(); key != keys.crend(); ++key)
            send(*key, false);
        return wl_display_roundtrip(m_display) >= 0;
    }

private:
    void send(uint32_t key, bool pressed)
    {
        const uint32_t time = uint32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
        zwp_virtual_keyboard_v1_key(m_keyboard, time, key,
                                    pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        xkb_state_update_key(m_state, key + 8, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
        zwp_virtual_keyboard_v1_modifiers(m_keyboard,
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                                          xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE));
    }

    wl_display* m_display;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_state = nullptr;
};

using ovelin::test::kwinHome;

// GNOME Shell (the test session's, in unsafe mode) runs `script`; keys come from a virtual
// keyboard it makes, as tst_gnome_app types.
bool shellEval(const QString& script, QString* result = nullptr)
{
    QDBusInterface shell(u"org.gnome.Shell"_s, u"/org/gnome/Shell"_s, u"org.gnome.Shell"_s);
    const QVariantList reply = shell.call(u"Eval"_s, script).arguments();
    if (result && reply.size() == 2)
        *result = reply.at(1).toString();
    return reply.size() == 2 && reply.at(0).toBool();
}

// The longest gap, in ms, between ticks of a 2 ms high-priority timer in the shell since the
// last call; the first call starts the timer. A frame cannot be drawn while the loop is stuck.
std::optional<double> shellLongestStall()
{
    QString microseconds;
    if (!shellEval(u"const {GLib} = imports.gi; let s = global.ovelinBenchStall; if (!s) { "
                   u"s = global.ovelinBenchStall = {max: 0, last: GLib.get_monotonic_time()}; "
                   u"GLib.timeout_add(GLib.PRIORITY_HIGH, 2, () => { const now = GLib.get_monotonic_time(); "
                   u"s.max = Math.max(s.max, now - s.last); s.last = now; return GLib.SOURCE_CONTINUE; }); } "
                   u"const longest = s.max; s.max = 0; s.last = GLib.get_monotonic_time(); longest"_s,
                   &microseconds))
        return std::nullopt;
    return microseconds.toDouble() / 1000;
}

// A PNG of noise (it does not compress) of about `bytes`, written to `path`.
bool writeNoisePng(const QString& path, qint64 bytes)
{
    const int side = std::max(8, int(std::sqrt(double(bytes) / 4)));
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(image.scanLine(y)), side);
    return image.save(path, "PNG", 100);
}

bool pressInShell(const QList<uint32_t>& keys)
{
    QStringList codes;
    for (uint32_t key : keys)
        codes << QString::number(key);
    return shellEval(
        u"const {Clutter, GLib} = imports.gi; global.ovelinBenchKeys = global.ovelinBenchKeys || "
        u"Clutter.get_default_backend().get_default_seat()"
        u".create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE); const keys = [%1]; "
        u"const t = GLib.get_monotonic_time(); "
        u"for (const k of keys) global.ovelinBenchKeys.notify_key(t, k, Clutter.KeyState.PRESSED); "
        u"for (const k of keys.reverse()) global.ovelinBenchKeys.notify_key(t, k, Clutter.KeyState.RELEASED);"_s
            .arg(codes.join(u',')));
}

bool focusInShell(const QString& title)
{
    return shellEval(
        u"Main.overview.hide(); const w = global.display.list_all_windows()"
        u".find(w => w.get_title() === '%1'); w.activate(global.get_current_time());"_s.arg(title));
}

int fail(const char* what, const QString& output = {})
{
    std::fprintf(stderr, "bench_desktop_latency: %s\n%s", what, qPrintable(output));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // One copy a round: the history (500 items at most here) counts each one.
    const int repetitions = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 400) : 15;
    const QString resultsFile = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool kwin = qEnvironmentVariableIsSet("OVELIN_KWIN");
    const bool sway = !qEnvironmentVariableIsEmpty("SWAYSOCK");
    const bool gnome = qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME"_s);
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || (!kwin && !sway && !gnome)) {
        std::fprintf(stderr, "bench_desktop_latency runs inside a headless KWin, sway or GNOME Shell: "
                             "bench/desktop_latency.sh starts them\n");
        return 2;
    }
    const char* desktop = kwin ? "kwin" : sway ? "sway" : "gnome";

    // The keys: KWin's fake input once KWin read this program's entry, or a virtual keyboard.
    std::function<bool(const QList<uint32_t>&)> press;
    std::unique_ptr<ovelin::test::FakeInput> fakeInput;
    std::unique_ptr<VirtualKeyboard> keyboard;
    if (kwin) {
        if (!ovelin::test::announceToKwin(timeoutMs))
            return fail("KDE's service cache could not be rebuilt");
        if (!waitUntil([&] {
                return (fakeInput = std::make_unique<ovelin::test::FakeInput>("bench_desktop_latency"))
                    ->isAvailable();
            }))
            return fail("KWin offers no fake input to this program");
        press = [&](const QList<uint32_t>& keys) { return fakeInput->press(keys); };
    } else if (gnome) {
        press = pressInShell;
    } else {
        keyboard = std::make_unique<VirtualKeyboard>();
        if (!keyboard->isAvailable())
            return fail("the compositor offers no virtual keyboard");
        press = [&](const QList<uint32_t>& keys) { return keyboard->press(keys); };
    }

    // Ovelin in a clean HOME: on KWin the installed one, which KWin trusts; here the build's.
    QTemporaryDir home;
    QProcessEnvironment environment = ovelin::test::ovelinEnvironment(home.path());
    QDir(home.path()).mkpath(u"config/Ovelin"_s);
    QFile config(home.filePath(u"config/Ovelin/Ovelin.conf"_s));
    if (!config.open(QIODevice::WriteOnly) || config.write("[General]\nhistoryLimit=500\n") < 0)
        return fail("the settings could not be written");
    config.close();
    if (sway)
        environment.remove(u"XDG_CURRENT_DESKTOP"_s);
    Printer ovelin;
    ovelin.start(kwin ? kwinHome() + u"/.local/bin/ovelin"_s : QStringLiteral(OVELIN_EXECUTABLE), {},
                 environment);
    if (!ovelin.waitFor(u"📋 Monitoramento da área de transferência iniciado!"_s) ||
        (kwin && !ovelin.waitFor(u"✅ Atalho registrado no serviço de atalhos do KDE"_s)))
        return fail("Ovelin did not start", ovelin.output());
    // A copy: GNOME's shell sets the clipboard itself (its seat has no keyboard of its own to
    // give a client the serial a copy needs); elsewhere wl-copy, its start counted in the time.
    const auto copy = [&](int number) {
        const QString text = u"latency bench %1 %2"_s.arg(QCoreApplication::applicationPid()).arg(number);
        return gnome ? shellEval(u"imports.gi.St.Clipboard.get_default().set_text("
                                 u"imports.gi.St.ClipboardType.CLIPBOARD, '%1')"_s.arg(text))
                     : QProcess::execute(u"wl-copy"_s, {text}) == 0;
    };
    const auto captured = [&](int total, size_t from) {
        return ovelin.waitFor(u"✅ Histórico atualizado (total: %1)"_s.arg(total), from);
    };
    if (!copy(0) || !captured(1, 0))
        return fail("the copy was not captured", ovelin.output());
    // The panel shows at the first start: the stored shortcut hides it, once it is bound (sway's
    // binding comes a moment after the start lines, and says nothing).
    size_t hidden = 0;
    for (int attempt = 0; attempt < 15 && !hidden; ++attempt) {
        if (!press({KEY_LEFTSHIFT}) || !press(storedShortcut))
            return fail("the compositor went away");
        ovelin.waitFor(u"🔴 Janela oculta"_s, 0, &hidden, 3000);
    }
    if (!hidden)
        return fail("the shortcut did not hide the panel", ovelin.output());

    Printer target;
    target.start(QStringLiteral(WAYLAND_WINDOW), {u"org.example.Editor"_s, u"latency target"_s});
    size_t seen = 0;
    if (gnome && !waitUntil([&] {
            return focusInShell(u"latency target"_s) && target.waitFor(u"active"_s, 0, &seen, 200);
        }))
        return fail("the shell did not focus the target window", target.output());
    if (!target.waitFor(u"active"_s, 0, &seen))
        return fail("the target window never got the keyboard", target.output());

    // The first round warms both up (fonts, the keymap in the panel) and is not counted.
    std::vector<double> copyToCapture, shortcutToPanel, returnToKeys;
    for (int round = 0; round <= repetitions; ++round) {
        const size_t printed = ovelin.count();
        const auto copied = Clock::now();
        const auto capture = copy(round + 1) ? captured(round + 2, printed) : std::nullopt;
        if (!capture)
            return fail("a copy was not captured", ovelin.output());
        const auto pressed = Clock::now();
        if (!press(storedShortcut))
            return fail("the compositor went away");
        const auto shown = target.waitFor(u"inactive"_s, seen + 1, &seen);
        if (!shown)
            return fail("the panel never took the keyboard", ovelin.output() + target.output());
        const auto returned = Clock::now();
        if (!press({KEY_ENTER}))
            return fail("the compositor went away");
        const auto keys = target.waitFor(u"key Ctrl+V"_s, seen + 1, &seen);
        // The window had the keyboard back before the keys came, ready for the next round.
        if (!keys || !target.waitFor(u"paste "_s, seen + 1, &seen))
            return fail("the paste never arrived", ovelin.output() + target.output());
        if (round > 0) {
            copyToCapture.push_back(std::chrono::duration<double, std::milli>(*capture - copied).count());
            shortcutToPanel.push_back(std::chrono::duration<double, std::milli>(*shown - pressed).count());
            returnToKeys.push_back(std::chrono::duration<double, std::milli>(*keys - returned).count());
        }
    }

    std::vector<std::pair<const char*, std::vector<double>*>> measures{
        {gnome ? "copy-to-capture" : "wl-copy-to-capture", &copyToCapture},
        {"shortcut-to-panel", &shortcutToPanel},
        {"return-to-keys", &returnToKeys}};

    // GNOME: the shell's longest stall while Ovelin reads an image the shell holds, from the
    // change to Ovelin's capture line, or the line that skips an image over its size limit.
    std::vector<double> stallLarge, stallSmall;
    if (gnome) {
        const QString large = home.filePath(u"large.png"_s), small = home.filePath(u"small.png"_s);
        if (!writeNoisePng(large, 60'000'000) || !shellLongestStall())
            return fail("the stall measure could not be set up");
        for (int round = 0; round < std::min(repetitions, 7) * 2; ++round) {
            const bool isLarge = round % 2;
            // A new small image each time: the one at the top of the history again adds nothing.
            if (!isLarge && !writeNoisePng(small, 16'384))
                return fail("the small image could not be written");
            const size_t printed = ovelin.count();
            if (!shellEval(u"const {GLib, St} = imports.gi; const [, bytes] = GLib.file_get_contents('%1'); "
                           u"St.Clipboard.get_default().set_content(St.ClipboardType.CLIPBOARD, 'image/png', "
                           u"new GLib.Bytes(bytes)); global.ovelinBenchStall.max = 0; "
                           u"global.ovelinBenchStall.last = GLib.get_monotonic_time();"_s
                               .arg(isLarge ? large : small)) ||
                !ovelin.waitFor({u"✅ Histórico atualizado"_s, u"⚠️ Cópia não capturada"_s}, printed))
                return fail("an image was not captured", ovelin.output());
            const auto stall = shellLongestStall();
            if (!stall)
                return fail("the shell went away");
            (isLarge ? stallLarge : stallSmall).push_back(*stall);
        }
        measures.push_back({"stall-60MB-image", &stallLarge});
        measures.push_back({"stall-small-image", &stallSmall});
    }

    QFile results(resultsFile);
    const bool keep = !resultsFile.isEmpty() && results.open(QIODevice::Append);
    for (const auto& [measure, samples] : measures) {
        std::printf("%s %s: median %.1f ms, p90 %.1f ms over %zu\n", desktop, measure, median(*samples),
                    percentile(*samples, 0.9), samples->size());
        if (keep)
            results.write(QByteArray(desktop) + ' ' + measure + ' ' +
                          QByteArray::number(median(*samples), 'f', 2) + '\n');
    }
    return 0;
}
