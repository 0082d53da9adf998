#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinEnvironment.h"
#include "RunningOvelin.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

const int timeoutMs = 30000;
const QString watchingLine = u"📋 Monitoramento da área de transferência iniciado!"_s;

QString updated(int total)
{
    return u"✅ Histórico atualizado (total: %1)"_s.arg(total);
}

// Runs JavaScript in the test shell (started with --unsafe-mode for this alone).
QVariantList shellReply(const QString& script)
{
    QDBusInterface shell(u"org.gnome.Shell"_s, u"/org/gnome/Shell"_s, u"org.gnome.Shell"_s);
    const QVariantList reply = shell.call(u"Eval"_s, script).arguments();
    return reply.size() == 2 && reply.at(0).toBool() ? reply : QVariantList();
}

bool shellEval(const QString& script)
{
    return !shellReply(script).isEmpty();
}

// Focuses the window with `title`, with the overview the headless shell starts in out of the way.
bool focusWindow(const QString& title)
{
    return shellEval(u"Main.overview.hide(); const w = global.display.list_all_windows()"
                     u".find(w => w.get_title() === '%1'); w.activate(global.get_current_time()); "
                     u"if (global.display.focus_window !== w) throw new Error('not yet');"_s.arg(title));
}

// Presses the keys together through a virtual keyboard of the shell, then releases them.
bool typeInShell(const QStringList& keys)
{
    QStringList names;
    for (const QString& key : keys)
        names << u"Clutter.KEY_"_s + key;
    return shellEval(
        u"const {Clutter, GLib} = imports.gi; global.ovelinTestKeys = global.ovelinTestKeys || "
        u"Clutter.get_default_backend()"
        u".get_default_seat().create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE); "
        u"const keys = [%1]; const t = GLib.get_monotonic_time(); "
        u"for (const k of keys) global.ovelinTestKeys.notify_keyval(t, k, Clutter.KeyState.PRESSED); "
        u"for (const k of keys.reverse()) global.ovelinTestKeys.notify_keyval(t, k, Clutter.KeyState.RELEASED);"_s
            .arg(names.join(u',')));
}

bool setExtensionEnabled(bool enabled)
{
    QDBusInterface extensions(u"org.gnome.Shell"_s, u"/org/gnome/Shell"_s, u"org.gnome.Shell.Extensions"_s);
    const QDBusReply<bool> reply =
        extensions.call(enabled ? u"EnableExtension"_s : u"DisableExtension"_s, u"ovelin@ovelin.app"_s);
    return reply.isValid() && reply.value();
}

// The real executable in a clean HOME, as a client of the test shell.
class Ovelin : public ovelin::test::RunningOvelin
{
public:
    Ovelin() : RunningOvelin(QStringLiteral(OVELIN_EXECUTABLE), timeoutMs) {}
    QByteArray historyAfterQuit()
    {
        QFile file(home() + u"/data/Ovelin/clipboard_history.json"_s);
        return quit() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// The tests' own window, copied from with the shell's keys (the headless seat has no keyboard).
class Source : public QLineEdit
{
public:
    explicit Source(const QString& title)
    {
        setWindowTitle(title);
        resize(400, 60);
        show();
    }
    bool focus()
    {
        return QTest::qWaitFor([this] { return focusWindow(windowTitle()) && isActiveWindow(); }, timeoutMs);
    }
    // Returns once the window has handled the Ctrl+C: the shell's keys arrive after its answer.
    bool copy(const QString& text, bool concealed = false)
    {
        // A fresh virtual keyboard's first keys can be lost while its keymap reaches the window:
        // one key is typed until it arrives.
        clear();
        if (!focus() || !QTest::qWaitFor(
                            [this] {
                                return typeInShell({u"x"_s}) &&
                                       QTest::qWaitFor([this] { return !this->text().isEmpty(); }, 500);
                            },
                            timeoutMs))
            return false;
        setText(text);
        m_concealed = concealed;
        const int copies = m_copies;
        return typeInShell({u"Control_L"_s, u"a"_s}) && typeInShell({u"Control_L"_s, u"c"_s}) &&
               QTest::qWaitFor([&] { return m_copies > copies; }, timeoutMs);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool copy = event->matches(QKeySequence::Copy);
        m_copies += copy;
        if (!m_concealed || !copy)
            return QLineEdit::keyPressEvent(event);
        auto* secret = new QMimeData; // as a password manager copies
        secret->setText(text());
        secret->setData(u"x-kde-passwordManagerHint"_s, "secret");
        QGuiApplication::clipboard()->setMimeData(secret);
    }

private:
    bool m_concealed = false;
    int m_copies = 0;
};

} // namespace

// The real executable under a headless GNOME Shell with Ovelin's extension.
class GnomeAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME"_s) ||
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            QSKIP("needs the headless GNOME Shell (scripts/gnomesession.sh)");
    }

    // Another process gets nothing, even one holding Ovelin's name while Ovelin is not running.
    void theExtensionServesOvelinAlone()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerService(u"app.ovelin.Ovelin"_s));
        QDBusInterface shell(u"app.ovelin.Shell"_s, u"/app/ovelin/Shell"_s, u"app.ovelin.Shell1"_s);
        QCOMPARE(shell.call(u"FrontWindow"_s).errorName(), u"org.freedesktop.DBus.Error.AccessDenied"_s);
        QVERIFY(bus.unregisterService(u"app.ovelin.Ovelin"_s));

        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().contains(u"🖥️ Plataforma GNOME (Wayland): extensão do GNOME Shell ✅ "
                                          u"ovelin@ovelin.app v2, área de transferência ✅ via GNOME Shell"_s),
                 qPrintable(ovelin.output()));
        QCOMPARE(shell.call(u"FrontWindow"_s).errorName(), u"org.freedesktop.DBus.Error.AccessDenied"_s);
    }

    // Each copy once, the password manager's never, and again after the extension was off.
    void copiesAreCapturedOnceAcrossTheExtensionGoingOffAndOn()
    {
        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        const QString marker = QString::number(QDateTime::currentMSecsSinceEpoch());
        Source source(u"gnome source"_s);
        QVERIFY(source.copy(u"first "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(1)), qPrintable(ovelin.output()));

        QVERIFY(source.copy(u"hunter2 "_s + marker, true));
        QVERIFY(source.copy(u"second "_s + marker)); // the sentinel: nothing came in between
        QVERIFY2(ovelin.waitForLine(updated(2)), qPrintable(ovelin.output()));
        QVERIFY(!ovelin.output().contains(updated(3)));

        QVERIFY(setExtensionEnabled(false));
        QVERIFY2(ovelin.waitForLine(u"⚠️ The GNOME Shell extension is gone"_s),
                 qPrintable(ovelin.output()));
        QVERIFY(setExtensionEnabled(true));
        QVERIFY(source.copy(u"third "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(3)), qPrintable(ovelin.output()));
        QVERIFY(source.copy(u"fourth "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(4)), qPrintable(ovelin.output()));
        QVERIFY2(!ovelin.output().contains(updated(5)), qPrintable(ovelin.output()));
        const QByteArray history = ovelin.historyAfterQuit();
        QVERIFY2(history.contains("fourth") && !history.contains("hunter2"), history.constData());
    }

    // Started without the extension: says how to turn it on, then captures once it is on.
    void startedWithoutTheExtensionFollowsItWhenItComes()
    {
        QVERIFY(setExtensionEnabled(false));
        Ovelin ovelin;
        const bool told =
            ovelin.waitForLine(u"⚠️ GNOME Shell extension not found: turn it on with gnome-extensions "
                               u"enable ovelin@ovelin.app (after a first install, log out and in again)"_s);
        QVERIFY(setExtensionEnabled(true));
        QVERIFY2(told, qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().contains(u"extensão do GNOME Shell ❌ ausente: gnome-extensions enable"_s),
                 qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        Source source(u"gnome source"_s);
        QVERIFY(source.copy(u"late "_s + QString::number(QDateTime::currentMSecsSinceEpoch())));
        QVERIFY2(ovelin.waitForLine(updated(1)), qPrintable(ovelin.output()));
    }

    // The stored shortcut (⌃⌘V) typed in the shell toggles the panel: hidden, then shown again.
    void theShortcutTogglesThePanel()
    {
        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        const QStringList shortcut{u"Control_L"_s, u"Super_L"_s, u"v"_s};
        // A fresh virtual keyboard joins the seat a moment after it is made: one harmless key first.
        QVERIFY(typeInShell({u"Shift_L"_s}));
        QVERIFY(QTest::qWaitFor(
            [] {
                return shellReply(u"imports.gi.Clutter.get_default_backend().get_default_seat().list_devices()"
                                  u".some(d => d.get_device_type() === "
                                  u"imports.gi.Clutter.InputDeviceType.KEYBOARD_DEVICE)"_s)
                           .value(1) == u"true"_s;
            },
            timeoutMs));
        QVERIFY(typeInShell(shortcut)); // shown at the first start
        QVERIFY2(ovelin.waitForLine(u"🔴 Janela oculta"_s), qPrintable(ovelin.output()));
        const QString placed = u"📍 Janela posicionada com base no cursor."_s;
        const qsizetype before = ovelin.output().count(placed);
        QVERIFY(typeInShell(shortcut));
        QVERIFY2(ovelin.waitForLine(placed, before + 1), qPrintable(ovelin.output()));
    }

    void returnPastesIntoTheWindowBelow_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("keys");
        QTest::newRow("an application: Ctrl+V") << u"gnome-target"_s << u"key Ctrl+V"_s;
        QTest::newRow("a terminal: Ctrl+Shift+V") << u"foot"_s << u"key Ctrl+Shift+V"_s;
    }

    // The window in front is found, activated again after the panel, and gets the paste keys.
    void returnPastesIntoTheWindowBelow()
    {
        QFETCH(QString, appId);
        QFETCH(QString, keys);
        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        const QString marker = QString::number(QDateTime::currentMSecsSinceEpoch());
        Source source(u"gnome source"_s);
        QVERIFY(source.copy(u"alpha "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(1)), qPrintable(ovelin.output()));

        QProcess target;
        target.setProcessChannelMode(QProcess::MergedChannels);
        target.start(QStringLiteral(WAYLAND_WINDOW), {appId, u"gnome target"_s});
        QVERIFY(QTest::qWaitFor([] { return focusWindow(u"gnome target"_s); }, timeoutMs));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        QVERIFY(QTest::qWaitFor([] { return focusWindow(u"Ovelin"_s); }, timeoutMs));
        QVERIFY(typeInShell({u"Return"_s}));
        QByteArray heard;
        QVERIFY2(
            QTest::qWaitFor([&] { return (heard += target.readAll()).contains(keys.toUtf8()); }, timeoutMs),
            qPrintable(ovelin.output() + QString::fromUtf8(heard)));
        QVERIFY2(ovelin.output().contains(u"📦 App em foco: "_s + appId), qPrintable(ovelin.output()));
        target.kill();
        target.waitForFinished(5000);
    }
};

OVELIN_TEST_MAIN(GnomeAppTest)
#include "tst_gnome_app.moc"
