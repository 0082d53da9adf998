#include <QDBusConnection>
#include <QDBusReply>
#include <QDateTime>
#include <QFile>

#include "GnomeShell.h"
#include "RunningOvelin.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;
using namespace ovelin::test;

namespace {

const int timeoutMs = 30000;
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

// The tests' window copies a text.
bool copy(ShellCopySource& source, const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    return source.copy(data);
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

        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().contains(u"🖥️ Plataforma GNOME (Wayland): extensão do GNOME Shell ✅ "
                                          u"ovelin@ovelin.app v1, área de transferência ✅ via GNOME Shell"_s),
                 qPrintable(ovelin.output()));
        QCOMPARE(shell.call(u"FrontWindow"_s).errorName(), u"org.freedesktop.DBus.Error.AccessDenied"_s);
    }

    // Each copy once, and again after the extension was off.
    void copiesAreCapturedOnceAcrossTheExtensionGoingOffAndOn()
    {
        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(watchingLine), qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        const QString marker = QString::number(QDateTime::currentMSecsSinceEpoch());
        ShellCopySource source(u"gnome source"_s, timeoutMs);
        QVERIFY(copy(source, u"first "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(1)), qPrintable(ovelin.output()));

        QVERIFY(setExtensionEnabled(false));
        QVERIFY2(ovelin.waitForLine(u"⚠️ The GNOME Shell extension is gone"_s),
                 qPrintable(ovelin.output()));
        QVERIFY(setExtensionEnabled(true));
        QVERIFY(copy(source, u"second "_s + marker));
        QVERIFY2(ovelin.waitForLine(updated(2)), qPrintable(ovelin.output()));
        QVERIFY(copy(source, u"third "_s + marker)); // the sentinel: nothing came in between
        QVERIFY2(ovelin.waitForLine(updated(3)), qPrintable(ovelin.output()));
        QVERIFY2(!ovelin.output().contains(updated(4)), qPrintable(ovelin.output()));
        QVERIFY(ovelin.historyAfterQuit().contains("third"));
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
        ShellCopySource source(u"gnome source"_s, timeoutMs);
        QVERIFY(copy(source, u"late "_s + QString::number(QDateTime::currentMSecsSinceEpoch())));
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
                return shellReply(
                           u"imports.gi.Clutter.get_default_backend().get_default_seat().list_devices()"
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
};

OVELIN_TEST_MAIN(GnomeAppTest)
#include "tst_gnome_app.moc"
