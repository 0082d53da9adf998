#include <memory>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>

#include "PrintedLines.h"
#include "TestMain.h"
#include "paste/PasteManager.h"
#include "platform/wayland/KwinFakeInputKeyEventPoster.h"
#include "platform/wayland/PlasmaWindowManagementService.h"
#include "platform/wayland/WaylandFrontmostApplicationService.h"
#include "platform/wayland/WaylandKeyEventPoster.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int generousMs = 20000;

/// A window of another process (tests/platform/wayland_window.cpp) and the lines it printed.
class Probe
{
public:
    qint64 pid() const { return m_process.processId(); }
    Probe(const QString& appId, const QString& title)
    {
        m_process.setProgram(QStringLiteral(WAYLAND_WINDOW));
        m_process.setArguments({appId, title});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Probe()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    /// Waits for the line, counting each line once.
    bool waitFor(const QString& line)
    {
        return QTest::qWaitFor(
            [&] {
                while (m_process.canReadLine())
                    m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
                return m_lines.removeOne(line);
            },
            generousMs);
    }

private:
    QProcess m_process;
    QStringList m_lines;
};

class OwnWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::gray); }
};

} // namespace

class TestKwinInput : public QObject
{
    Q_OBJECT

    std::unique_ptr<FrontmostApplicationService> m_frontmost;
    std::unique_ptr<KeyEventPoster> m_keys;

    // On KWin (scripts/as-kwin-user.sh) this executable gets KWin's protocols as an installed
    // Ovelin does: through a desktop entry in KWin's data folder that names it.
    void makeKwinServices()
    {
        const QString applications = qEnvironmentVariable("OVELIN_KWIN_RUNTIME_DIR") + u"/.local/share/applications"_s;
        QFile entry(applications + u"/ovelin-tst-waylandinput.desktop"_s);
        QVERIFY(QDir().mkpath(applications) && entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Input test\nExec=" +
                    QCoreApplication::applicationFilePath().toUtf8() +
                    "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management\n");
        entry.close();
        // KWin's service cache, rebuilt as the Permissions page's button does.
        const QString home = qEnvironmentVariable("OVELIN_KWIN_RUNTIME_DIR");
        QProcess sycoca;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"XDG_DATA_DIRS"_s);
        environment.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
        environment.insert(u"XDG_CACHE_HOME"_s, home + u"/.cache"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
        sycoca.setProcessEnvironment(environment);
        sycoca.start(u"kbuildsycoca5"_s, {});
        QVERIFY(sycoca.waitForFinished(generousMs));
        // KWin notices the new cache a moment later and says nothing when it has: each attempt
        // is a fresh connection, which QTRY polls.
        std::unique_ptr<PlasmaWindowManagementService> windows;
        std::unique_ptr<KwinFakeInputKeyEventPoster> keys;
        const auto attempt = [&] {
            windows = std::make_unique<PlasmaWindowManagementService>();
            keys = std::make_unique<KwinFakeInputKeyEventPoster>();
            return windows->isAvailable() && keys->isAvailable();
        };
        QTRY_VERIFY_WITH_TIMEOUT(attempt(), generousMs);
        m_frontmost = std::move(windows);
        m_keys = std::move(keys);
    }

    std::optional<FrontmostApplication> waitForFrontmost(const QString& appId)
    {
        const bool found = QTest::qWaitFor(
            [&] {
                const auto app = m_frontmost->frontmostApplication();
                return app && app->identifier == appId;
            },
            generousMs);
        return found ? m_frontmost->frontmostApplication() : std::nullopt;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            QSKIP("needs a Wayland compositor (scripts/wlsession.sh)");
        if (qEnvironmentVariableIsSet("OVELIN_KWIN")) {
            makeKwinServices();
        } else {
            auto frontmost = std::make_unique<WaylandFrontmostApplicationService>();
            auto keys = std::make_unique<WaylandKeyEventPoster>();
            QVERIFY(frontmost->isAvailable());
            QVERIFY(keys->isAvailable());
            m_frontmost = std::move(frontmost);
            m_keys = std::move(keys);
        }
        PasteManager::installServices({nullptr, m_frontmost.get(), m_keys.get(), nullptr});
    }

    // The way a paste from the panel goes: the panel opens over a window, hides, hands the focus
    // back, and the keys follow once the focus is there.
    void pastesIntoThePreviousWindowWithItsKeystroke_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("outcome");
        // KWin's window list knows the process, wlroots' toplevel list does not.
        QTest::newRow("ordinary window") << u"org.example.Editor"_s << u"Ctrl+V"_s
                                         << u"✅ Paste via %1 para PID: %2"_s;
        QTest::newRow("terminal") << u"foot"_s << u"Ctrl+Shift+V"_s
                                  << u"✅ Paste via %1 Ctrl+Shift+V executado no app: Title foot"_s;
    }
    void pastesIntoThePreviousWindowWithItsKeystroke()
    {
        QFETCH(QString, appId);
        QFETCH(QString, keys);
        QFETCH(QString, outcome);
        Probe probe(appId, u"Title "_s + appId);
        QVERIFY(probe.waitFor(u"active"_s));
        const auto previous = waitForFrontmost(appId);
        QVERIFY(previous);
        QCOMPARE(previous->name, u"Title "_s + appId);

        OwnWindow panel;
        panel.resize(200, 100);
        panel.show();
        QTRY_VERIFY_WITH_TIMEOUT(panel.isActive(), generousMs);
        QVERIFY(probe.waitFor(u"inactive"_s));
        // Ovelin's own window is never the application to paste into.
        QTRY_VERIFY_WITH_TIMEOUT(!m_frontmost->frontmostApplication(), generousMs);

        ovelin::test::PrintedLines lines;
        panel.hide();
        QVERIFY(m_frontmost->activateWindow(previous->windowId));
        bool done = false;
        PasteManager::shared().performPaste([&done] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, generousMs);
        QVERIFY(probe.waitFor(u"key "_s + keys));
        QCOMPARE(lines.lines().constFirst(), u"📦 App em foco: "_s + appId);
        const bool kwin = qEnvironmentVariableIsSet("OVELIN_KWIN");
        QCOMPARE(lines.lines().constLast(),
                 outcome.arg(m_keys->mechanismName(), kwin ? QString::number(probe.pid()) : u"desconhecido"_s));
    }

    void activateWindowReturnsTheFocusToAnEarlierWindow()
    {
        Probe first(u"org.example.First"_s, u"First"_s);
        QVERIFY(first.waitFor(u"active"_s));
        const auto earlier = waitForFrontmost(u"org.example.First"_s);
        QVERIFY(earlier);
        Probe second(u"org.example.Second"_s, u"Second"_s);
        QVERIFY(second.waitFor(u"active"_s));
        QVERIFY(first.waitFor(u"inactive"_s));
        QVERIFY(waitForFrontmost(u"org.example.Second"_s));
        QVERIFY(m_frontmost->runningApplications().contains(u"org.example.First"_s));

        QVERIFY(m_frontmost->activateWindow(earlier->windowId));
        QVERIFY(first.waitFor(u"active"_s));
        const auto now = waitForFrontmost(u"org.example.First"_s);
        QVERIFY(now);
        QCOMPARE(now->windowId, earlier->windowId);
        QVERIFY(!m_frontmost->activateWindow(1)); // not one of the compositor's windows
    }

    void cleanupTestCase() { PasteManager::installServices({}); }
};

OVELIN_TEST_MAIN(TestKwinInput)
#include "tst_kwininput.moc"
