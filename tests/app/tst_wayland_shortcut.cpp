#include "OvelinProcesses.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMs = 30000;
const QString hiddenLine = u"🔴 Janela oculta"_s;
const QString placedLine = u"📍 Janela posicionada com base no cursor."_s;
const QStringList press{u"-M"_s, u"ctrl"_s, u"-M"_s, u"logo"_s, u"v"_s, u"-m"_s, u"logo"_s, u"-m"_s, u"ctrl"_s};

bool swaymsg(const QString& command)
{
    return QProcess::execute(u"swaymsg"_s, {command}) == 0;
}

} // namespace

// The real executable under the headless sway: the stored shortcut, bound through sway's IPC,
// toggles the panel, which sway shows at the pointer; quitting releases the binding.
class WaylandShortcutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shortcutBoundThroughSwayOpensThePanelAtThePointer()
    {
        using namespace ovelin::test;
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("SWAYSOCK"))
            QSKIP("needs the headless sway of scripts/wlsession.sh");
        Home home(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
        QProcess* ovelin = home.start();
        QVERIFY2(waitForLine(ovelin, u"🚀 OvelinApp iniciado"_s, 1, timeoutMs), qPrintable(outputOf(ovelin)));
        QVERIFY(waitFor([] { return swayPanel().has_value(); }, timeoutMs));

        QCOMPARE(QProcess::execute(u"wtype"_s, press), 0);
        QVERIFY2(waitForLine(ovelin, hiddenLine, 1, timeoutMs), qPrintable(outputOf(ovelin)));
        QVERIFY(waitFor([] { return !swayPanel(); }, timeoutMs));

        // sway centres the panel on the pointer and keeps it on the 1920 × 1080 output.
        const qsizetype placedBefore = outputOf(ovelin).count(placedLine);
        for (const QPoint pointer : {QPoint(700, 500), QPoint(1900, 1070)}) {
            QVERIFY(swaymsg(u"seat seat0 cursor set %1 %2"_s.arg(pointer.x()).arg(pointer.y())));
            QCOMPARE(QProcess::execute(u"wtype"_s, press), 0);
            QVERIFY2(waitForLine(ovelin, placedLine, placedBefore + (pointer.x() == 700 ? 1 : 2), timeoutMs),
                     qPrintable(outputOf(ovelin)));
            const auto centred = [pointer] {
                const auto rect = swayPanel();
                if (!rect)
                    return false;
                const QPoint expected(std::clamp(pointer.x() - rect->width() / 2, 0, 1920 - rect->width()),
                                      std::clamp(pointer.y() - rect->height() / 2, 0, 1080 - rect->height()));
                return (rect->topLeft() - expected).manhattanLength() <= 2;
            };
            QVERIFY2(waitFor(centred, timeoutMs), qPrintable(outputOf(ovelin)));
            QCOMPARE(QProcess::execute(u"wtype"_s, press), 0);
            QVERIFY(waitFor([] { return !swayPanel(); }, timeoutMs));
        }

        QCOMPARE(home.run({u"--quit"_s}).exitCode, 0);
        QVERIFY(ovelin->waitForFinished(timeoutMs));
        // The binding went with it: there is nothing left to unbind.
        QVERIFY(!swaymsg(u"unbindsym --no-repeat Ctrl+Mod4+v"_s));
    }
};

OVELIN_TEST_MAIN(WaylandShortcutTest)
#include "tst_wayland_shortcut.moc"
