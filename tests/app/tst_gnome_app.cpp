#include <QDBusConnection>
#include <QDBusReply>
#include <QDateTime>

#include "GnomeShell.h"
#include "RunningOvelin.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

namespace {

const QString watchingLine = u"📋 Monitoramento da área de transferência iniciado!"_s;

QString updated(int total)
{
    return u"✅ Histórico atualizado (total: %1)"_s.arg(total);
}

bool setExtensionEnabled(bool enabled)
{
    QDBusInterface extensions(u"org.gnome.Shell"_s, u"/org/gnome/Shell"_s, u"org.gnome.Shell.Extensions"_s);
    const QDBusReply<bool> reply =
        extensions.call(enabled ? u"EnableExtension"_s : u"DisableExtension"_s, u"ovelin@ovelin.app"_s);
    return reply.isValid() && reply.value();
}

} // namespace

// The real executable under a headless GNOME Shell with Ovelin's extension.
class GnomeAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!onGnomeShell())
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

        RunningOvelin ovelin(QStringLiteral(OVELIN_EXECUTABLE), shellTimeoutMs); // in a clean HOME
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().contains(u"🖥️ Plataforma GNOME (Wayland): extensão do GNOME Shell ✅ "
                                          u"ovelin@ovelin.app v2, área de transferência ✅ via GNOME Shell"_s),
                 qPrintable(ovelin.output()));
        QCOMPARE(shell.call(u"FrontWindow"_s).errorName(), u"org.freedesktop.DBus.Error.AccessDenied"_s);
    }

    // Started without the extension: says how to turn it on, then follows it coming, going and
    // coming back, capturing each copy once.
    void followsTheExtensionComingAndGoing()
    {
        QVERIFY(setExtensionEnabled(false));
        RunningOvelin ovelin(QStringLiteral(OVELIN_EXECUTABLE), shellTimeoutMs);
        const bool told =
            ovelin.waitForLine(u"⚠️ GNOME Shell extension not found: turn it on with gnome-extensions "
                               u"enable ovelin@ovelin.app (after a first install, log out and in again)"_s);
        QVERIFY(setExtensionEnabled(true));
        QVERIFY2(told, qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().contains(u"extensão do GNOME Shell ❌ ausente: gnome-extensions enable"_s),
                 qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        const QString marker = QString::number(QDateTime::currentMSecsSinceEpoch());
        ShellCopySource source(u"gnome source"_s);
        QVERIFY(source.copyText(u"first "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(1)), qPrintable(ovelin.output()));

        QVERIFY(setExtensionEnabled(false));
        QVERIFY2(ovelin.waitForLine(u"⚠️ The GNOME Shell extension is gone"_s),
                 qPrintable(ovelin.output()));
        QVERIFY(setExtensionEnabled(true));
        QVERIFY(source.copyText(u"second "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(2)), qPrintable(ovelin.output()));
        QVERIFY(source.copyText(u"third "_s + marker)); // the sentinel: nothing came in between
        QVERIFY2(ovelin.waitForLine(updated(3)), qPrintable(ovelin.output()));
        QVERIFY2(!ovelin.output().contains(updated(4)), qPrintable(ovelin.output()));
    }

    // The stored shortcut (⌃⌘V) typed in the shell toggles the panel: hidden, then shown again at
    // the pointer.
    void theShortcutTogglesThePanel()
    {
        // A fresh virtual keyboard joins the seat a moment after it is made: typed into a window first.
        QVERIFY(ShellCopySource(u"keyboard check"_s).takeInput());
        RunningOvelin ovelin(QStringLiteral(OVELIN_EXECUTABLE), shellTimeoutMs);
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QVERIFY(QTest::qWaitFor([] { return focusWindow(u"Ovelin"_s); }, shellTimeoutMs)); // shown at start
        const QStringList shortcut{u"Control_L"_s, u"Super_L"_s, u"v"_s};
        QVERIFY(typeInShell(shortcut));
        QVERIFY2(ovelin.waitForLine(u"🔴 Janela oculta"_s), qPrintable(ovelin.output()));
        const QString placed = u"📍 Janela posicionada com base no cursor."_s;
        const qsizetype before = ovelin.output().count(placed);
        QVERIFY(!shellReply(
                     u"imports.gi.Clutter.get_default_backend().get_default_seat().warp_pointer(300, 200)"_s)
                     .isEmpty());
        QVERIFY(typeInShell(shortcut));
        QVERIFY2(ovelin.waitForLine(placed, before + 1), qPrintable(ovelin.output()));
        // Beside the pointer, kept inside the monitor's work area.
        QVERIFY(QTest::qWaitFor(
            [] {
                return shellReply(
                           u"const f = global.display.list_all_windows().find(w => w.get_title() === "
                           u"'Ovelin').get_frame_rect(), a = Main.layoutManager.getWorkAreaForMonitor(0); "
                           u"f.x === 310 && (f.y === 210 || f.y + f.height === a.y + a.height - 10)"_s)
                           .value(1) == u"true"_s;
            },
            shellTimeoutMs));
    }
};

OVELIN_TEST_MAIN(GnomeAppTest)
#include "tst_gnome_app.moc"
