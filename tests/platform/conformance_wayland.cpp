// wlroots on a headless sway, and built with KWIN_CONFORMANCE the headless KWin of
// scripts/kwinsession.sh: the other applications are the tests' own data-control owner
// (wayland_owner.cpp) and Qt window (wayland_window.cpp), and wl-paste.

#include "BackendFixture.h"
#ifdef KWIN_CONFORMANCE
#include "KwinFakeInput.h"
#include "platform/wayland/WaylandCapabilityService.h"
#endif
#include "platform/wayland/WaylandClipboardService.h"
#include "platform/wayland/WaylandPlatform.h"

using namespace Qt::StringLiterals;

namespace ovelin::test {
namespace {

#ifdef KWIN_CONFORMANCE
using Window = HelperWindow;
#else
// The wlroots window list names no process; Plasma's does.
class Window : public HelperWindow
{
public:
    std::optional<qint64> pid() override { return std::nullopt; }
};
#endif

class WaylandFixture : public HelperProgramFixture
{
public:
    WaylandFixture() : HelperProgramFixture(QStringLiteral(WAYLAND_OWNER)) {}
    QString unavailable() override
    {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return u"needs a Wayland compositor (scripts/wlsession.sh)"_s;
#ifdef KWIN_CONFORMANCE
        if (!qEnvironmentVariableIsSet("OVELIN_KWIN"))
            return u"needs the headless KWin of scripts/kwinsession.sh"_s;
        // KWin grants its fake input and window list to this executable once its service cache
        // knows an entry naming it, a moment after the cache was rebuilt; the services come after.
        const QSet<QString> granted{u"org_kde_kwin_fake_input"_s, u"org_kde_plasma_window_management"_s};
        const auto offered = [&] { return WaylandCapabilityService::announcedGlobals().contains(granted); };
        if (!announceToKwin(30000, "org_kde_kwin_fake_input,org_kde_plasma_window_management") ||
            !QTest::qWaitFor(offered, 30000))
            qWarning("KWin granted this test no fake input or window list: its paste cases fail");
#endif
        if (!WaylandClipboardService::dataControlProtocol())
            return u"the compositor offers no data-control"_s;
        return {};
    }
    const PlatformServices& services() override { return wayland::services().platform; }
#ifdef KWIN_CONFORMANCE
    QString cannotPlay(const QString& function, const QString& row) override
    {
        if (function == u"othersReadWhatIsWritten" && row == u"cleared")
            return u"KWin 5.27 tells a reader nothing while the clipboard is empty: wl-paste waits forever"_s;
        return {};
    }
#endif
    bool copy(const Formats& formats) override { return own(formats); }
    bool copyFromUnresponsiveOwner() override { return start({}); }
    bool burst(int count) override { return startBurst(count); }
    QByteArray paste(const QString& format, bool primary) override
    {
        QProcess paste;
        paste.start(u"wl-paste"_s, QStringList{u"--no-newline"_s, u"--type"_s, format} +
                                       (primary ? QStringList{u"--primary"_s} : QStringList()));
        if (!QTest::qWaitFor([&] { return paste.state() == QProcess::NotRunning; }, 20000))
            return "no answer";
        return paste.readAllStandardOutput();
    }
    std::unique_ptr<PasteTargetWindow> openWindow(const QString& identifier, const QString& title) override
    {
        auto window = std::make_unique<Window>();
        window->helper =
            std::make_unique<Helper>(QStringLiteral(WAYLAND_WINDOW), QStringList{identifier, title});
        return window->waitForLine(u"active"_s) ? std::move(window) : nullptr;
    }
};

} // namespace

std::unique_ptr<BackendFixture> makeBackendFixture()
{
    return std::make_unique<WaylandFixture>();
}

} // namespace ovelin::test
