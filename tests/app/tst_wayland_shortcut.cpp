#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinEnvironment.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMs = 30000;
const QString hiddenLine = u"🔴 Janela oculta"_s;
const QString placedLine = u"📍 Janela posicionada com base no cursor."_s;

// What a program printed and how it ended.
struct Run
{
    bool succeeded = false;
    QByteArray output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    return {finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            process.readAll()};
}

bool swaymsg(const QString& command)
{
    return run(u"swaymsg"_s, {command}).succeeded;
}

// Where sway shows the history panel (app id "ovelin", 400 wide), if it does.
std::optional<QRect> panelRect()
{
    const Run tree = run(u"swaymsg"_s, {u"-t"_s, u"get_tree"_s});
    QList<QJsonObject> nodes{QJsonDocument::fromJson(tree.output).object()};
    while (!nodes.isEmpty()) {
        const QJsonObject node = nodes.takeLast();
        const QJsonObject rect = node.value(u"rect"_s).toObject();
        if (node.value(u"app_id"_s).toString() == u"ovelin"_s && node.value(u"visible"_s).toBool() &&
            rect.value(u"width"_s).toInt() == 400)
            return QRect(rect.value(u"x"_s).toInt(), rect.value(u"y"_s).toInt(), 400,
                         rect.value(u"height"_s).toInt());
        for (const char* children : {"nodes", "floating_nodes"}) {
            for (const QJsonValue& child : node.value(QLatin1String(children)).toArray())
                nodes.append(child.toObject());
        }
    }
    return std::nullopt;
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
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("SWAYSOCK"))
            QSKIP("needs the headless sway of scripts/wlsession.sh");
        QTemporaryDir home;
        const QProcessEnvironment environment = ovelin::test::ovelinEnvironment(home.path());
        QProcess ovelin;
        ovelin.setProcessEnvironment(environment);
        ovelin.setProcessChannelMode(QProcess::MergedChannels);
        QString output;
        connect(&ovelin, &QProcess::readyRead, this, [&] { output += QString::fromUtf8(ovelin.readAll()); });
        ovelin.start(QStringLiteral(OVELIN_EXECUTABLE), {});
        const auto printed = [&](const QString& line, qsizetype times) {
            return QTest::qWaitFor([&] { return output.count(line) >= times; }, timeoutMs);
        };
        QVERIFY2(printed(u"🚀 OvelinApp iniciado"_s, 1), qPrintable(output));
        QVERIFY(QTest::qWaitFor([] { return panelRect().has_value(); }, timeoutMs));

        const QStringList press{u"-M"_s, u"ctrl"_s, u"-M"_s, u"logo"_s, u"v"_s,
                                u"-m"_s, u"logo"_s, u"-m"_s, u"ctrl"_s};
        QVERIFY(run(u"wtype"_s, press).succeeded);
        QVERIFY2(printed(hiddenLine, 1), qPrintable(output));
        QVERIFY(QTest::qWaitFor([] { return !panelRect(); }, timeoutMs));

        // sway centres the panel on the pointer and keeps it on the 1920 × 1080 output.
        const qsizetype placedBefore = output.count(placedLine);
        for (const QPoint pointer : {QPoint(700, 500), QPoint(1900, 1070)}) {
            QVERIFY(swaymsg(u"seat seat0 cursor set %1 %2"_s.arg(pointer.x()).arg(pointer.y())));
            QVERIFY(run(u"wtype"_s, press).succeeded);
            QVERIFY2(printed(placedLine, placedBefore + (pointer.x() == 700 ? 1 : 2)), qPrintable(output));
            const auto centred = [pointer] {
                const auto rect = panelRect();
                if (!rect)
                    return false;
                const QRect screen(0, 0, 1920, 1080);
                const QPoint expected(
                    std::clamp(pointer.x() - rect->width() / 2, 0, screen.width() - rect->width()),
                    std::clamp(pointer.y() - rect->height() / 2, 0, screen.height() - rect->height()));
                return (rect->topLeft() - expected).manhattanLength() <= 2;
            };
            QVERIFY2(QTest::qWaitFor(centred, timeoutMs), qPrintable(output));
            QVERIFY(run(u"wtype"_s, press).succeeded);
            QVERIFY(QTest::qWaitFor([] { return !panelRect(); }, timeoutMs));
        }

        QProcess quit;
        quit.setProcessEnvironment(environment);
        quit.start(QStringLiteral(OVELIN_EXECUTABLE), {u"--quit"_s});
        QVERIFY(quit.waitForFinished(timeoutMs));
        QVERIFY(ovelin.waitForFinished(timeoutMs));
        // The binding went with it: there is nothing left to unbind.
        QVERIFY(!swaymsg(u"unbindsym --no-repeat Ctrl+Mod4+v"_s));
    }
};

OVELIN_TEST_MAIN(WaylandShortcutTest)
#include "tst_wayland_shortcut.moc"
