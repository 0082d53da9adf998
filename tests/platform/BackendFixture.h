#pragma once

// What tst_clipboardconformance needs of a backend: its services, and the other applications of
// its desktop. One small file per backend implements it (conformance_<backend>.cpp).

#include <memory>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/PlatformServices.h"
#include "platform/X11TestSupport.h"

namespace ovelin::test {

/// Representations by MIME type, in the order offered.
using Formats = QList<std::pair<QString, QByteArray>>;

/// A window of another application that records the pastes it receives.
class PasteTargetWindow
{
public:
    virtual ~PasteTargetWindow() = default;
    /// The paste keystrokes received, named as pasteKeystrokeName() names them.
    virtual QStringList keys() = 0;
    /// What the window pasted, in order: the text, or the file URLs separated by spaces.
    virtual QStringList pastedTexts() = 0;
    /// The window's process as the desktop names it to others; none where it names none.
    virtual std::optional<qint64> pid() { return std::nullopt; }
};

/// The tests' Qt window (wayland_window.cpp) in another process: it prints "active" once focused,
/// "key <keys>" for each key and "paste <base64>" for what each paste got.
class HelperWindow : public PasteTargetWindow
{
public:
    QStringList keys() override { return read(QStringLiteral("key ")); }
    QStringList pastedTexts() override
    {
        QStringList texts;
        for (const QString& base64 : read(QStringLiteral("paste ")))
            texts << QString::fromUtf8(QByteArray::fromBase64(base64.toLatin1()));
        return texts;
    }
    std::optional<qint64> pid() override { return helper->process().processId(); }
    /// Waits for a line the window printed, taking it.
    bool waitForLine(const QString& line)
    {
        return QTest::qWaitFor([&] { return read({}), m_lines.removeOne(line); }, 30000);
    }

    std::unique_ptr<Helper> helper;

private:
    // The lines printed so far that start with `kind`, without it.
    QStringList read(const QString& kind)
    {
        while (helper->process().canReadLine())
            m_lines << QString::fromUtf8(helper->process().readLine()).trimmed();
        QStringList out;
        for (const QString& line : std::as_const(m_lines)) {
            if (line.startsWith(kind))
                out << line.mid(kind.size());
        }
        return out;
    }

    QStringList m_lines;
};

class BackendFixture
{
public:
    virtual ~BackendFixture() = default;

    /// Why the backend cannot run here (no display, no compositor); empty when it can.
    virtual QString unavailable() = 0;
    /// Why this desktop cannot play the case (test function, data row); empty when it can.
    virtual QString cannotPlay(const QString& /*function*/, const QString& /*row*/) { return {}; }
    /// The backend's services, made once for the process.
    virtual const PlatformServices& services() = 0;

    /// Another application takes the clipboard with these representations and keeps it until the
    /// case ends; true once it holds it.
    virtual bool copy(const Formats& formats) = 0;
    /// Another application takes the clipboard offering text, and never answers a request for it.
    virtual bool copyFromUnresponsiveOwner() = 0;
    /// Another application copies "burst 1" … "burst <count>", each as soon as the one before was
    /// read; true once the last is on the clipboard.
    virtual bool burst(int count) = 0;
    /// What another application reads in this format from the clipboard, or the primary selection.
    virtual QByteArray paste(const QString& format, bool primary) = 0;
    /// Opens a window of another application with this identifier (WM_CLASS, app id) and title,
    /// and waits until it has the keyboard focus. Null if it never got it.
    virtual std::unique_ptr<PasteTargetWindow> openWindow(const QString& identifier,
                                                          const QString& title) = 0;
    /// Ends the other applications the case started.
    virtual void cleanup() = 0;
};

/// A desktop whose other applications are one helper program of the tests', in several modes,
/// each printing "ready" once in place: what the X11 and Wayland fixtures share.
class HelperProgramFixture : public BackendFixture
{
public:
    void cleanup() override { m_helpers.clear(); }

protected:
    explicit HelperProgramFixture(QString program) : m_program(std::move(program)) {}

    /// Starts the helper in a mode; true once it is in place. It ends with the case.
    bool start(const QStringList& args)
    {
        m_helpers.push_back(std::make_unique<Helper>(m_program, args));
        return m_helpers.back()->waitReady();
    }
    /// "own <format>=<file> ...": the helper takes the clipboard with these representations.
    bool own(const Formats& formats)
    {
        QStringList args{QStringLiteral("own")};
        for (const auto& [format, bytes] : formats) {
            const QString path = newPath(QStringLiteral("format-%1"));
            if (!writeFile(path, bytes))
                return false;
            args << format + u'=' + path;
        }
        return start(args);
    }
    /// "burst <count>", waiting for the "done" it prints after the last copy was read.
    bool startBurst(int count)
    {
        if (!start({QStringLiteral("burst"), QString::number(count)}))
            return false;
        QProcess& process = m_helpers.back()->process();
        return QTest::qWaitFor(
            [&] {
                while (process.canReadLine()) {
                    if (process.readLine().trimmed() == "done")
                        return true;
                }
                return false;
            },
            60000);
    }
    /// A fresh file name in the case's folder; `pattern` has one %1.
    QString newPath(const QString& pattern) { return m_dir.filePath(pattern.arg(++m_files)); }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<Helper>> m_helpers;

private:
    QString m_program;
    int m_files = 0;
};

/// Made by the backend's own file.
std::unique_ptr<BackendFixture> makeBackendFixture();

} // namespace ovelin::test
