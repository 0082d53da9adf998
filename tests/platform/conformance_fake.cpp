// The in-memory backend: other applications' copies go through the same snapshot builder the
// real backends use, windows are entries of the fake window list.

#include <QBuffer>
#include <QHash>

#include "BackendFixture.h"
#include "platform/ClipboardSnapshotBuilder.h"
#include "platform/fake/FakeClipboardService.h"
#include "platform/fake/FakeFrontmostApplicationService.h"
#include "platform/fake/FakeKeyEventPoster.h"

using namespace Qt::StringLiterals;

namespace ovelin::test {
namespace {

// An owner of the clipboard offering `formats`; an unresponsive one times out.
class OwnerTransfer : public ClipboardTransfer
{
public:
    OwnerTransfer(const Formats& formats, bool unresponsive)
        : m_formats(formats), m_unresponsive(unresponsive)
    {
    }
    std::optional<QStringList> formats(Outcome*) override
    {
        QStringList names;
        for (const auto& [format, bytes] : m_formats)
            names << format;
        return names;
    }
    Result fetch(const QString& format) override
    {
        if (m_unresponsive)
            return {Outcome::TimedOut, {}};
        for (const auto& [name, bytes] : m_formats) {
            if (name == format)
                return bytes.size() > maxFormatBytes ? Result{Outcome::TooLarge, {}}
                                                     : Result{Outcome::Done, bytes};
        }
        return {};
    }

private:
    Formats m_formats;
    bool m_unresponsive;
};

class Window : public PasteTargetWindow
{
public:
    QStringList keys() override { return m_keys; }
    QStringList pastedTexts() override { return m_texts; }
    QStringList m_keys, m_texts;
};

class Frontmost : public FakeFrontmostApplicationService
{
public:
    QHash<quint64, FrontmostApplication> windows;
    bool activateWindow(quint64 windowId) override
    {
        FakeFrontmostApplicationService::activateWindow(windowId);
        if (!windows.contains(windowId))
            return false;
        setFrontmostApplication(windows.value(windowId));
        return true;
    }
};

// The front window pastes when the keystroke arrives: as in xterm, Shift+Insert pastes the
// primary selection.
class Keys : public FakeKeyEventPoster
{
public:
    FakeClipboardService* clipboard = nullptr;
    Window* front = nullptr;
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override
    {
        if (front) {
            front->m_keys << pasteKeystrokeName(keystroke);
            const ClipboardContent& primary = clipboard->primarySelection();
            front->m_texts << (keystroke == PasteKeystroke::ShiftInsert
                                   ? QString::fromUtf8(primary.formats.value(0).second)
                                   : clipboard->read().uriList.join(u' ') +
                                         clipboard->read().text.value_or(QString()));
        }
        return FakeKeyEventPoster::postPasteKeystroke(keystroke, error);
    }
};

class FakeFixture : public BackendFixture
{
public:
    FakeFixture()
    {
        m_keys.clipboard = &m_clipboard;
        m_services = {&m_clipboard, &m_frontmost, &m_keys, nullptr};
    }
    QString unavailable() override { return {}; }
    const PlatformServices& services() override { return m_services; }
    bool copy(const Formats& formats) override { return own(formats, false); }
    bool copyFromUnresponsiveOwner() override { return own({{u"text/plain"_s, "unanswered"}}, true); }
    bool burst(int count) override
    {
        for (int i = 1; i <= count; ++i)
            copy({{u"text/plain"_s, "burst " + QByteArray::number(i)}});
        return true;
    }
    QByteArray paste(const QString& format, bool primary) override
    {
        const ClipboardContent& content =
            primary ? m_clipboard.primarySelection() : m_clipboard.lastWritten();
        for (const auto& [name, bytes] : content.formats) {
            if (name == format)
                return bytes;
        }
        QByteArray png;
        QBuffer buffer(&png);
        if (content.image && format == u"image/png" && buffer.open(QIODevice::WriteOnly))
            content.image->save(&buffer, "PNG");
        return png;
    }
    std::unique_ptr<PasteTargetWindow> openWindow(const QString& identifier, const QString& title) override
    {
        auto window = std::make_unique<Window>();
        const quint64 id = ++m_lastWindow;
        m_frontmost.windows.insert(id, {id, identifier, title, std::nullopt});
        m_frontmost.setRunningApplications(m_frontmost.runningApplications() << identifier);
        m_frontmost.activateWindow(id);
        m_keys.front = window.get();
        return window;
    }
    void cleanup() override
    {
        m_keys.front = nullptr;
        m_frontmost = Frontmost();
    }

private:
    bool own(const Formats& formats, bool unresponsive)
    {
        OwnerTransfer owner(formats, unresponsive);
        m_clipboard.setSnapshot(ClipboardSnapshotBuilder::build(owner));
        return true;
    }

    FakeClipboardService m_clipboard;
    Frontmost m_frontmost;
    Keys m_keys;
    PlatformServices m_services;
    quint64 m_lastWindow = 0;
};

} // namespace

std::unique_ptr<BackendFixture> makeBackendFixture()
{
    return std::make_unique<FakeFixture>();
}

} // namespace ovelin::test
