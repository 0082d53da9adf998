#include <linux/input-event-codes.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "KwinFakeInput.h"
#include "OvelinEnvironment.h"
#include "RunningOvelin.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMs = 30000;
using ovelin::test::kwinHome;

const QString watchingLine = u"📋 Monitoramento da área de transferência iniciado!"_s;
const QString registeredLine = u"✅ Atalho registrado no serviço de atalhos do KDE"_s;
const QString hiddenLine = u"🔴 Janela oculta"_s;
const QString placedLine = u"📍 Janela posicionada com base no cursor."_s;
const QList<uint32_t> storedShortcut{KEY_LEFTCTRL, KEY_LEFTMETA, KEY_V};

QString installedOvelin()
{
    return kwinHome() + u"/.local/bin/ovelin"_s;
}

// What KWin shows: a script of KWin's scripting calls this test back with its windows.
class KwinView : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.ovelin.KwinTest")
public:
    KwinView()
    {
        QDBusConnection::sessionBus().registerObject(u"/view"_s, this,
                                                     QDBusConnection::ExportScriptableSlots);
    }
    /// The history panel (app id "ovelin", 400 wide) where KWin shows it.
    std::optional<QRect> panel()
    {
        for (const QJsonValue& value : ask()) {
            const QJsonArray window = value.toArray();
            if (window.at(0).toString() == u"ovelin"_s && window.at(3).toInt() == 400)
                return QRect(window.at(1).toInt(), window.at(2).toInt(), 400, window.at(4).toInt());
        }
        return std::nullopt;
    }
    bool panelShown()
    {
        return QTest::qWaitFor([&] { return panel().has_value(); }, timeoutMs);
    }
    bool panelGone()
    {
        return QTest::qWaitFor([&] { return !panel(); }, timeoutMs);
    }

public Q_SLOTS:
    Q_SCRIPTABLE void report(const QString& windows) { m_reply = windows; }

private:
    QJsonArray ask()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"view.js"_s);
        QFile script(path);
        if (!script.open(QIODevice::WriteOnly))
            return {};
        script.write(u"callDBus('%1', '/view', 'app.ovelin.KwinTest', 'report', JSON.stringify("
                     u"(workspace.windowList ? workspace.windowList() : workspace.clientList()).map(w => "
                     u"[w.resourceClass, w.frameGeometry.x, w.frameGeometry.y, w.frameGeometry.width, "
                     u"w.frameGeometry.height])));"_s.arg(QDBusConnection::sessionBus().baseService())
                         .toUtf8());
        script.close();
        m_reply.clear();
        const QString plugin = u"ovelin-test-view-%1"_s.arg(++m_asked);
        QDBusInterface scripting(u"org.kde.KWin"_s, u"/Scripting"_s, u"org.kde.kwin.Scripting"_s);
        const QDBusReply<int> id = scripting.call(u"loadScript"_s, path, plugin);
        // KWin 5 serves a loaded script at /<id>, KWin 6 at /Scripting/Script<id>.
        for (const QString& object : {u"/%1"_s, u"/Scripting/Script%1"_s}) {
            QDBusInterface loaded(u"org.kde.KWin"_s, object.arg(id.value()), u"org.kde.kwin.Script"_s);
            if (id.isValid() && loaded.call(u"run"_s).type() == QDBusMessage::ReplyMessage)
                break;
        }
        const bool answered = QTest::qWaitFor([this] { return !m_reply.isNull(); }, timeoutMs);
        scripting.call(u"unloadScript"_s, plugin);
        return answered ? QJsonDocument::fromJson(m_reply.toUtf8()).array() : QJsonArray();
    }

    QString m_reply;
    int m_asked = 0;
};

// The installed executable in a clean HOME, on KWin's display and bus.
class Ovelin : public ovelin::test::RunningOvelin
{
public:
    explicit Ovelin(const QString& home) : RunningOvelin(installedOvelin(), timeoutMs, home) {}
};

} // namespace

// An Ovelin installed as a user installs it (cmake --install into KWin's ~/.local), on the headless
// KWin of scripts/kwinsession.sh; the keys come from this test through KWin's fake input.
class KwinAppTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<ovelin::test::FakeInput> m_input;
    std::unique_ptr<Ovelin> m_ovelin;
    KwinView m_kwin;

private Q_SLOTS:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("OVELIN_KWIN") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            QSKIP("needs the headless KWin of scripts/kwinsession.sh");
        QVERIFY2(QFile::exists(installedOvelin()), "the tst_kwin_app_install fixture installs it");
        QVERIFY(ovelin::test::announceToKwin(timeoutMs));
        // KWin reads the new cache a moment later; this test's entry went in with Ovelin's.
        QVERIFY(QTest::qWaitFor(
            [this] {
                return (m_input = std::make_unique<ovelin::test::FakeInput>("tst_kwin_app"))->isAvailable();
            },
            timeoutMs));
        m_ovelin = std::make_unique<Ovelin>(m_home.path());
    }

    // The start line reads what KWin gave the installed executable, and the panel shown at the
    // start is on the screen: the first --toggle hides it, the next shows it again.
    void startsWithKwinsProtocolsAndTogglesThePanel()
    {
        QVERIFY2(m_ovelin->waitForLine(registeredLine), qPrintable(m_ovelin->output()));
        QVERIFY2(
            m_ovelin->output().contains(
                u"🖥️ Plataforma Wayland: área de transferência ✅ via zwlr_data_control_manager_v1, "
                u"colar ✅ "
                u"via fake input do KWin, app em frente ✅ via plasma window management"_s),
            qPrintable(m_ovelin->output()));
        QVERIFY(m_ovelin->output().contains(u"posição do painel ✅ via plasma shell"_s));
        QVERIFY(m_kwin.panelShown());
        QCOMPARE(m_ovelin->command(u"--toggle"_s), 0);
        QVERIFY2(m_ovelin->waitForLine(hiddenLine), qPrintable(m_ovelin->output()));
        QVERIFY(m_kwin.panelGone());
        QCOMPARE(m_ovelin->command(u"--toggle"_s), 0);
        QVERIFY(m_kwin.panelShown());
        QCOMPARE(m_ovelin->command(u"--toggle"_s), 0);
        QVERIFY(m_kwin.panelGone());
    }

    void theShortcutOpensThePanelUnderThePointer_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::newRow("top left") << QPoint(200, 150);
        QTest::newRow("bottom right corner: kept on the screen") << QPoint(1270, 710);
    }

    void theShortcutOpensThePanelUnderThePointer()
    {
        QFETCH(QPoint, pointer);
        const qsizetype placed = m_ovelin->output().count(placedLine);
        QVERIFY(m_input->movePointer(pointer));
        QVERIFY(m_input->press(storedShortcut));
        QVERIFY2(m_ovelin->waitForLine(placedLine, placed + 1), qPrintable(m_ovelin->output()));
        QVERIFY(m_kwin.panelShown());
        const QRect panel = *m_kwin.panel();
        QVERIFY2(QRect(0, 0, 1280, 720).contains(panel),
                 qPrintable(u"%1 %2"_s.arg(panel.x()).arg(panel.y())));
        QVERIFY(panel.contains(pointer));
        QVERIFY(m_input->press(storedShortcut));
        QVERIFY(m_kwin.panelGone());
    }

    // A shortcut changed in the settings replaces the one KDE's service kept for Ovelin, even
    // for an Ovelin that ended without releasing it; quitting leaves the keys free.
    void aChangedShortcutReplacesTheOneKdeKept()
    {
        m_ovelin.reset(); // killed: its shortcut stays with KDE's service
        QSettings(m_home.filePath(u"config/Ovelin/Ovelin.conf"_s), QSettings::IniFormat)
            .setValue(u"shortcutKey"_s, u"⌃⌥O"_s);
        m_ovelin = std::make_unique<Ovelin>(m_home.path());
        QVERIFY2(m_ovelin->waitForLine(registeredLine), qPrintable(m_ovelin->output()));
        QVERIFY(m_input->press(storedShortcut));
        QVERIFY(m_input->press({KEY_LEFTCTRL, KEY_LEFTALT, KEY_O})); // the sentinel
        QVERIFY2(m_ovelin->waitForLine(u"⚡️ Atalho pressionado: ⌃⌥O"_s),
                 qPrintable(m_ovelin->output()));
        QCOMPARE(m_ovelin->output().count(u"⚡️ Atalho pressionado"_s), 1);
        QVERIFY(m_ovelin->quit());
        QDBusInterface kglobalaccel(u"org.kde.kglobalaccel"_s, u"/kglobalaccel"_s, u"org.kde.KGlobalAccel"_s);
        const QDBusReply<QStringList> holder =
            kglobalaccel.call(u"action"_s, (Qt::CTRL | Qt::ALT | Qt::Key_O).toCombined());
        QVERIFY(holder.isValid());
        QVERIFY2(holder.value().isEmpty(), qPrintable(holder.value().join(u',')));
    }
};

OVELIN_TEST_MAIN(KwinAppTest)
#include "tst_kwin_app.moc"
