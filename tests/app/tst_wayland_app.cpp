#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "OvelinProcesses.h"
#include "TestFiles.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

const QString startLinePrefix = u"🖥️ Plataforma "_s;
const QString noClipboardLine =
    u"⚠️ Este compositor não oferece data-control: o Ovelin não consegue observar a área de transferência aqui"_s;
const QString hiddenLine = u"🔴 Janela oculta"_s;
const QString displayLostLine = u"❌ Conexão com o compositor Wayland perdida, encerrando"_s;
const QString placedLine = u"📍 Janela posicionada com base no cursor."_s;
const QStringList shortcutKeys{u"-M"_s, u"ctrl"_s, u"-M"_s, u"logo"_s, u"v"_s, u"-m"_s, u"logo"_s, u"-m"_s, u"ctrl"_s};

const int timeoutMs = 30000;

// A Weston of the test's own (it offers no data-control), in a runtime folder of its own.
class Weston
{
public:
    bool start()
    {
        if (QStandardPaths::findExecutable(u"weston"_s).isEmpty() || !m_runtime.isValid())
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime.path());
        environment.remove(u"WAYLAND_DISPLAY"_s);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(u"weston"_s, {u"--backend=headless-backend.so"_s, u"--socket=wayland-ovelin"_s,
                                      u"--idle-time=0"_s, u"--width=1280"_s, u"--height=800"_s});
        return m_process.waitForStarted() &&
               QTest::qWaitFor([this] { return QFile::exists(socket()); }, timeoutMs);
    }
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(timeoutMs))
            m_process.kill();
    }
    ~Weston() { stop(); }
    QString runtimeFolder() const { return m_runtime.path(); }
    QString socket() const { return m_runtime.filePath(u"wayland-ovelin"_s); }

private:
    QTemporaryDir m_runtime{QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(u"weston-XXXXXX"_s)};
    QProcess m_process;
};

// The real executable in a clean HOME, as a client of the given compositor.
class Ovelin
{
public:
    // `desktop`: started without SWAYSOCK, as by a user service, on this XDG_CURRENT_DESKTOP.
    explicit Ovelin(const Weston* weston = nullptr, const QString& desktop = {})
    {
        m_environment = m_home.environment();
        if (weston) {
            m_environment.insert(u"WAYLAND_DISPLAY"_s, weston->socket());
            m_environment.insert(u"XDG_RUNTIME_DIR"_s, weston->runtimeFolder());
            m_environment.remove(u"SWAYSOCK"_s);
        }
        // The desktop the tests run from (GNOME) would pick its own backend.
        m_environment.remove(u"XDG_CURRENT_DESKTOP"_s);
        // Sway runs the shortcut's command through its parser and the shell: a data folder whose
        // name needs quoting must reach the command intact, or the command starts another Ovelin.
        m_environment.insert(u"XDG_DATA_HOME"_s, m_home.path() + u"/data home,x;y"_s);
        if (!desktop.isEmpty()) {
            // The test's own runtime folder is a private one: sway's socket is in sway's.
            m_environment.insert(u"XDG_RUNTIME_DIR"_s, QFileInfo(qEnvironmentVariable("SWAYSOCK")).path());
            m_environment.remove(u"SWAYSOCK"_s);
            m_environment.insert(u"XDG_CURRENT_DESKTOP"_s, desktop);
        }
        m_process = m_home.start({}, m_environment);
    }

    QString output() const { return ovelin::test::outputOf(m_process); }
    QByteArray historyFile() const
    {
        return ovelin::test::readFile(m_environment.value(u"XDG_DATA_HOME"_s) + u"/Ovelin/clipboard_history.json"_s);
    }
    bool waitForLine(const QString& text, int count = 1)
    {
        return ovelin::test::waitForLine(m_process, text, count, timeoutMs);
    }
    bool ended() const { return m_process->state() == QProcess::NotRunning; }
    /// Its exit code once it has ended; -1 when it crashed or is still running.
    int exitCode() const
    {
        const bool done = ended() || m_process->waitForFinished(timeoutMs);
        return done && m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
    }
    /// A second start with a command: it hands the command to this one and ends.
    int command(const QString& argument) { return m_home.run({argument}, m_environment).exitCode; }

private:
    ovelin::test::Home m_home{qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS")};
    QProcessEnvironment m_environment;
    QProcess* m_process = nullptr;
};

bool swayShowsPanel()
{
    return ovelin::test::swayPanel().has_value();
}

// Runs a client tool of the compositor (wl-copy, wtype) to its end.
bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The names of sway's outputs, enabled or not.
QStringList outputNames()
{
    QStringList names;
    const QString outputs = ovelin::test::tool(u"swaymsg"_s, {u"-r"_s, u"-t"_s, u"get_outputs"_s});
    for (const QJsonValue& output : QJsonDocument::fromJson(outputs.toUtf8()).array())
        names << output.toObject().value(u"name"_s).toString();
    return names;
}

bool underSway()
{
    return !qEnvironmentVariableIsEmpty("SWAYSOCK");
}

} // namespace

// The real executable as a Wayland client: under the headless sway the tests run in, and under
// a Weston of the test's own, which offers no clipboard protocol.
class WaylandAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            QSKIP("needs a Wayland compositor (scripts/wlsession.sh)");
    }

    void startsAnswersCommandsAndEnds_data()
    {
        QTest::addColumn<bool>("weston");
        QTest::addColumn<QString>("desktop"); // without SWAYSOCK, on this desktop
        QTest::addColumn<QString>("startLine");
        const QString shake = u", sacudida do mouse ❌ indisponível no Wayland"_s;
        const QString sway =
            u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, "
            u"colar ✅ via teclado virtual, app em frente ✅ via foreign toplevel, "
            u"atalho ✅ via IPC do sway, posição do painel ✅ via IPC do sway"_s +
            shake;
        QTest::newRow("sway") << false << QString() << sway;
        QTest::newRow("sway, started without SWAYSOCK") << false << u"sway"_s << sway;
        QTest::newRow("weston, no data-control")
            << true << QString()
            << u"🖥️ Plataforma Wayland: área de transferência ❌ "
               u"sem data-control, colar ❌ sem teclado virtual, "
               u"app em frente ❌ sem foreign toplevel, atalho ❌ nenhum "
               u"(associe ovelin --toggle nas teclas do "
               u"ambiente), posição do painel ❌ centralizado"_s +
                   shake;
    }

    // The panel shows at the first start, --toggle hides it and shows it again; under sway the
    // stored shortcut, bound through sway's IPC, toggles it too, and sway centres it on the pointer,
    // keeps it on the 1920 × 1080 output and gives it the keyboard. Quitting releases the binding;
    // losing the compositor ends Ovelin with its line.
    void startsAnswersCommandsAndEnds()
    {
        QFETCH(bool, weston);
        QFETCH(QString, desktop);
        QFETCH(QString, startLine);
        if (!weston && !underSway())
            QSKIP("the sway rows need the headless sway");
        Weston own;
        if (weston && !own.start())
            QSKIP("weston cannot start here");
        Ovelin ovelin(weston ? &own : nullptr, desktop);
        QVERIFY2(ovelin.waitForLine(u"🚀 OvelinApp iniciado"_s), qPrintable(ovelin.output()));
        QVERIFY2(ovelin.output().split(u'\n').filter(startLinePrefix) == QStringList{startLine},
                 qPrintable(ovelin.output()));
        QCOMPARE(ovelin.output().contains(noClipboardLine), startLine.contains(u"sem data-control"_s));
        // Where nothing binds keys, the user learns which command to bind.
        const QString toggle = QFileInfo(QStringLiteral(OVELIN_EXECUTABLE)).canonicalFilePath() + u" --toggle"_s;
        QVERIFY2(!weston || ovelin.waitForLine(u"associe \""_s + toggle + u"\" a uma tecla"_s),
                 qPrintable(ovelin.output()));

        if (!weston)
            QVERIFY(QTest::qWaitFor(swayShowsPanel, timeoutMs));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        QVERIFY2(ovelin.waitForLine(hiddenLine), qPrintable(ovelin.output()));
        if (!weston)
            QVERIFY(QTest::qWaitFor([] { return !swayShowsPanel(); }, timeoutMs));
        QCOMPARE(ovelin.command(u"--toggle"_s), 0);
        QVERIFY2(ovelin.waitForLine(placedLine), qPrintable(ovelin.output()));
        if (weston) {
            own.stop();
            QVERIFY2(ovelin.waitForLine(displayLostLine), qPrintable(ovelin.output()));
                QCOMPARE(ovelin.exitCode(), 1);
            return;
        }
        QVERIFY(QTest::qWaitFor(swayShowsPanel, timeoutMs));
        QVERIFY(run(u"wtype"_s, shortcutKeys));
        QVERIFY2(ovelin.waitForLine(hiddenLine, 2), qPrintable(ovelin.output()));
        QVERIFY(QTest::qWaitFor([] { return !swayShowsPanel(); }, timeoutMs));

        qsizetype placed = ovelin.output().count(placedLine);
        for (const QPoint pointer : {QPoint(700, 500), QPoint(1900, 1070)}) {
            QVERIFY(run(u"swaymsg"_s, {u"seat seat0 cursor set %1 %2"_s.arg(pointer.x()).arg(pointer.y())}));
            QVERIFY(run(u"wtype"_s, shortcutKeys));
            QVERIFY2(ovelin.waitForLine(placedLine, ++placed), qPrintable(ovelin.output()));
            const auto centred = [pointer] {
                const auto rect = ovelin::test::swayPanel(true);
                if (!rect)
                    return false;
                const QPoint expected(std::clamp(pointer.x() - rect->width() / 2, 0, 1920 - rect->width()),
                                      std::clamp(pointer.y() - rect->height() / 2, 0, 1080 - rect->height()));
                return (rect->topLeft() - expected).manhattanLength() <= 2;
            };
            QVERIFY2(QTest::qWaitFor(centred, timeoutMs), qPrintable(ovelin.output()));
            QVERIFY(run(u"wtype"_s, shortcutKeys));
            QVERIFY(QTest::qWaitFor([] { return !swayShowsPanel(); }, timeoutMs));
        }
        QCOMPARE(ovelin.command(u"--quit"_s), 0);
        QCOMPARE(ovelin.exitCode(), 0);
        // The binding went with it: there is nothing left to unbind.
        QVERIFY(!run(u"swaymsg"_s, {u"unbindsym --no-repeat Ctrl+Mod4+v"_s}));
    }

    // Every global the compositor announces or withdraws later (here outputs, each a wl_output
    // global) is dealt with on each of Ovelin's connections, and capturing goes on while the panel
    // comes and goes; what was captured is in the file after --quit. (Each format's capture is
    // tst_clipboardconformance_wayland's.)
    void outputsComingAndGoingKeepCapturing()
    {
        if (!underSway())
            QSKIP("needs the headless sway's outputs");
        Ovelin ovelin;
        QVERIFY2(ovelin.waitForLine(ovelin::test::watching), qPrintable(ovelin.output()));
        const QString marker = QString::number(QDateTime::currentMSecsSinceEpoch());
        int copies = 0;
        // Disabling a headless output removes its global; sway offers no other way to unplug it.
        for (int round = 0; round < 3; ++round) {
            const QStringList before = outputNames();
            QVERIFY(run(u"swaymsg"_s, {u"create_output"_s}));
            QStringList added = outputNames();
            for (const QString& name : before)
                added.removeAll(name);
            QCOMPARE(added.size(), 1);
            for (const QString& step : {u"disable"_s, u"enable"_s, u"disable"_s}) {
                QVERIFY(run(u"swaymsg"_s, {u"output"_s, added.constFirst(), step}));
                QVERIFY(run(u"wl-copy"_s, {}, u"copy %1 %2"_s.arg(++copies).arg(marker).toUtf8()));
                QVERIFY2(ovelin.waitForLine(u"✅ Histórico atualizado (total: %1)"_s.arg(copies)),
                         qPrintable(ovelin.output()));
                QCOMPARE(ovelin.command(u"--toggle"_s), 0);
            }
        }
        QVERIFY2(!ovelin.ended(), qPrintable(ovelin.output()));
        QCOMPARE(ovelin.command(u"--quit"_s), 0);
        QCOMPARE(ovelin.exitCode(), 0);
        const QByteArray history = ovelin.historyFile();
        QVERIFY2(history.contains(u"copy 1 %1"_s.arg(marker).toUtf8()) &&
                     history.contains(u"copy %1 %2"_s.arg(copies).arg(marker).toUtf8()),
                 history.constData());
    }
};

OVELIN_TEST_MAIN(WaylandAppTest)
#include "tst_wayland_app.moc"
