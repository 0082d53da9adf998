// X11 on Xvfb: the other applications are the tests' own x11_fixture program, and xclip reading.

#include "BackendFixture.h"
#include "platform/ClipboardService.h"
#include "platform/X11TestSupport.h"
#include "platform/x11/X11Platform.h"

using namespace Qt::StringLiterals;

namespace ovelin::test {
namespace {

class Window : public PasteTargetWindow
{
public:
    explicit Window(QString out) : m_out(std::move(out)) {}
    QStringList keys() override { return read("key "); }
    QStringList pastedTexts() override { return read("paste "); }
    std::optional<qint64> pid() override { return helper->process().processId(); }

    std::unique_ptr<Helper> helper;

private:
    // The editor's record: "key Ctrl+V", "paste formats=… text=<base64> urls=…".
    QStringList read(const QByteArray& kind) const
    {
        QStringList out;
        for (const QByteArray& line : readFile(m_out).split('\n')) {
            if (!line.startsWith(kind))
                continue;
            if (kind == "key ") {
                out << QString::fromUtf8(line.mid(4)).replace(u"+Ins"_s, u"+Insert"_s);
                continue;
            }
            QStringList text, urls;
            for (const QByteArray& field : line.split(' ')) {
                if (field.startsWith("text="))
                    text << QString::fromUtf8(QByteArray::fromBase64(field.mid(5)));
                else if (field.contains("file://"))
                    urls << QString::fromUtf8(field.mid(field.indexOf("file://")));
            }
            out << (urls.isEmpty() ? text : urls).join(u' ');
        }
        return out;
    }

    QString m_out;
};

class X11Fixture : public HelperProgramFixture
{
public:
    X11Fixture() : HelperProgramFixture(QStringLiteral(X11_FIXTURE)) {}
    QString unavailable() override { return onX11() ? QString() : u"needs an X server (run under Xvfb)"_s; }
    const PlatformServices& services() override { return x11::platformServices(); }
    bool copy(const Formats& formats) override
    {
        if (formats.size() != 1)
            return own(formats);
        // xclip offers exactly one format (Qt adds text forms of its own to a URL list).
        const auto& [format, bytes] = formats.first();
        const quint64 before = services().clipboard->changeCount();
        m_helpers.push_back(copyWithXclip(m_dir, format == u"text/plain" ? QString() : format, bytes));
        // xclip says nothing once it holds the clipboard.
        return m_helpers.back() &&
               QTest::qWaitFor([&] { return services().clipboard->changeCount() > before; }, 20000);
    }
    bool copyFromUnresponsiveOwner() override { return start({u"hang"_s}); }
    bool burst(int count) override { return startBurst(count); }
    QByteArray paste(const QString& format, bool primary) override
    {
        // The event loop runs meanwhile: the clipboard may be this process's own.
        QProcess xclip;
        xclip.start(u"xclip"_s,
                    {u"-o"_s, u"-selection"_s, primary ? u"primary"_s : u"clipboard"_s, u"-t"_s, format});
        if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 20000))
            return "no answer";
        return xclip.readAllStandardOutput();
    }
    std::unique_ptr<PasteTargetWindow> openWindow(const QString& identifier, const QString& title) override
    {
        const QString out = newPath(u"window-%1.log"_s);
        auto window = std::make_unique<Window>(out);
        window->helper = std::make_unique<Helper>(
            QStringLiteral(X11_FIXTURE),
            QStringList{u"paste-target"_s, u"--class"_s, identifier, u"--title"_s, title, u"--out"_s, out});
        return window->helper->waitReady() ? std::move(window) : nullptr;
    }
};

} // namespace

std::unique_ptr<BackendFixture> makeBackendFixture()
{
    return std::make_unique<X11Fixture>();
}

} // namespace ovelin::test
