// GNOME Shell under Wayland, through Ovelin's extension: this process is Ovelin to it (it owns
// Ovelin's name and its executable is named ovelin); the other applications are its own window,
// which copies with the keys the shell types, the tests' Qt window (wayland_window.cpp), and the
// shell itself, which reads the clipboard.

#include <QDBusConnection>

#include "BackendFixture.h"
#include "GnomeShell.h"
#include "platform/gnome/GnomePlatform.h"

using namespace Qt::StringLiterals;

namespace ovelin::test {
namespace {

int reads = 0; // of what the tests' window copied, by any application

class CountedMimeData : public QMimeData
{
protected:
    QVariant retrieveData(const QString& format, QMetaType type) const override
    {
        ++reads;
        return QMimeData::retrieveData(format, type);
    }
};

class GnomeFixture : public BackendFixture
{
public:
    QString unavailable() override
    {
        if (!onGnomeShell() || !gnome::extensionAnswers())
            return u"needs the headless GNOME Shell with Ovelin's extension (scripts/gnomesession.sh)"_s;
        if (!QDBusConnection::sessionBus().registerService(u"app.ovelin.Ovelin"_s))
            return u"Ovelin's name on the bus is taken"_s;
        m_source = std::make_unique<ShellCopySource>(u"conformance source"_s);
        return {};
    }
    QString cannotPlay(const QString& function, const QString& row) override
    {
        if (function == u"unresponsiveOwnerCostsOneTimeOut")
            return u"a client takes the clipboard only from its own focused window, and this process, "
                   u"whose window that is, must answer the extension"_s;
        if (row == u"HTML" || row == u"RTF" || row == u"files for file managers")
            return u"unfocused, Ovelin writes through the extension, whose source offers one format "
                   u"(GJS cannot answer a selection source's asynchronous read)"_s;
        if (row == u"primary selection")
            return u"Ovelin sets the primary selection only from a focused window of its own"_s;
        return {};
    }
    const PlatformServices& services() override { return gnome::services().platform; }
    bool copy(const Formats& formats) override
    {
        auto* data = new CountedMimeData;
        for (const auto& [format, bytes] : formats)
            data->setData(format, bytes);
        return m_source->copy(data);
    }
    bool copyFromUnresponsiveOwner() override { return false; }
    bool burst(int count) override
    {
        for (int i = 1; i <= count; ++i) {
            const int before = reads;
            // Read three times: by mutter's clipboard manager, which keeps a copy, and by Ovelin.
            if (!copy({{u"text/plain"_s, "burst " + QByteArray::number(i)}}) ||
                (i < count && !QTest::qWaitFor([&] { return reads >= before + 3; }, shellTimeoutMs)))
                return false;
        }
        return true;
    }
    // What the shell reads, base64 through its Eval; text as GNOME's applications ask for it.
    QByteArray paste(const QString& format, bool primary) override
    {
        if (shellReply(
                u"const St = imports.gi.St; global.ovelinTestRead = null; "
                u"St.Clipboard.get_default().get_content(St.ClipboardType.%1, '%2', (c, bytes) => "
                u"global.ovelinTestRead = imports.gi.GLib.base64_encode(bytes?.get_data() ?? []));"_s.arg(
                    primary ? u"PRIMARY"_s : u"CLIPBOARD"_s,
                    format == u"text/plain" ? u"text/plain;charset=utf-8"_s : format))
                .isEmpty())
            return "no answer";
        QString json;
        if (!QTest::qWaitFor(
                [&] {
                    json = shellReply(u"global.ovelinTestRead"_s).value(1).toString();
                    return !json.isEmpty() && json != u"null";
                },
                shellTimeoutMs))
            return "no answer";
        return QByteArray::fromBase64(json.mid(1, json.size() - 2).toLatin1()); // a string in quotes
    }
    std::unique_ptr<PasteTargetWindow> openWindow(const QString& identifier, const QString& title) override
    {
        auto window = std::make_unique<HelperWindow>();
        window->helper =
            std::make_unique<Helper>(QStringLiteral(WAYLAND_WINDOW), QStringList{identifier, title});
        const bool focused = QTest::qWaitFor([&] { return focusWindow(title); }, shellTimeoutMs);
        return focused && window->waitForLine(u"active"_s) ? std::move(window) : nullptr;
    }
    // Out of the way: unfocused, Ovelin writes through the extension (mutter would ignore a second
    // request of its window's on the same input serial).
    void cleanup() override
    {
        m_source->hide();
        QVERIFY(QTest::qWaitFor([] { return !QGuiApplication::focusWindow(); }, shellTimeoutMs));
    }

private:
    std::unique_ptr<ShellCopySource> m_source;
};

} // namespace

std::unique_ptr<BackendFixture> makeBackendFixture()
{
    return std::make_unique<GnomeFixture>();
}

} // namespace ovelin::test
