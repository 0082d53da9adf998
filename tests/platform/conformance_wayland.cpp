// wlroots on a headless sway: the other applications are the tests' own data-control owner
// (wayland_owner.cpp) and Qt window (wayland_window.cpp), and wl-paste.

#include "BackendFixture.h"
#include "platform/wayland/WaylandClipboardService.h"
#include "platform/wayland/WaylandPlatform.h"

using namespace Qt::StringLiterals;

namespace ovelin::test {
namespace {

class WaylandFixture : public HelperProgramFixture
{
public:
    WaylandFixture() : HelperProgramFixture(QStringLiteral(WAYLAND_OWNER)) {}
    QString unavailable() override
    {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return u"needs a Wayland compositor (scripts/wlsession.sh)"_s;
        if (!WaylandClipboardService::dataControlProtocol())
            return u"the compositor offers no data-control"_s;
        return {};
    }
    const PlatformServices& services() override { return wayland::services().platform; }
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
        auto window = std::make_unique<HelperWindow>();
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
