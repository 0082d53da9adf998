#pragma once

// The headless GNOME Shell of the tests (scripts/gnomesession.sh, started with --unsafe-mode for
// them alone): JavaScript run in it, its virtual keyboard, and a window of the test's own that
// copies with the keys the shell types (the headless seat has no keyboard).

#include <memory>

#include <QClipboard>
#include <QDBusInterface>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace ovelin::test {

constexpr int shellTimeoutMs = 30000;

inline bool onGnomeShell()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME") &&
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// Runs JavaScript in the shell: its success and result, or nothing when it threw.
inline QVariantList shellReply(const QString& script)
{
    QDBusInterface shell(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                         QStringLiteral("org.gnome.Shell"));
    const QVariantList reply = shell.call(QStringLiteral("Eval"), script).arguments();
    return reply.size() == 2 && reply.at(0).toBool() ? reply : QVariantList();
}

/// Focuses the window with `title`, with the overview the headless shell starts in out of the way.
inline bool focusWindow(const QString& title)
{
    return !shellReply(
                QStringLiteral("Main.overview.hide(); const w = global.display.list_all_windows()"
                               ".find(w => w.get_title() === '%1'); w.activate(global.get_current_time()); "
                               "if (global.display.focus_window !== w) throw new Error('not yet');")
                    .arg(title))
                .isEmpty();
}

/// Presses the keys (Clutter's names: "Control_L", "v") together, then releases them.
inline bool typeInShell(const QStringList& keys)
{
    QStringList names;
    for (const QString& key : keys)
        names << QStringLiteral("Clutter.KEY_") + key;
    return !shellReply(
                QStringLiteral(
                    "const {Clutter, GLib} = imports.gi; global.ovelinTestKeys = global.ovelinTestKeys || "
                    "Clutter.get_default_backend().get_default_seat()"
                    ".create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE); "
                    "const keys = [%1]; const t = GLib.get_monotonic_time(); "
                    "for (const k of keys) global.ovelinTestKeys.notify_keyval(t, k, "
                    "Clutter.KeyState.PRESSED); "
                    "for (const k of keys.reverse()) global.ovelinTestKeys.notify_keyval(t, k, "
                    "Clutter.KeyState.RELEASED);")
                    .arg(names.join(u',')))
                .isEmpty();
}

/// The test's own window: a Ctrl+C the shell types there puts the given data on the clipboard.
class ShellCopySource : public QLineEdit
{
public:
    explicit ShellCopySource(const QString& title)
    {
        setWindowTitle(title);
        resize(400, 60);
        show();
    }
    bool focus()
    {
        show();
        return QTest::qWaitFor([this] { return focusWindow(windowTitle()) && isActiveWindow(); },
                               shellTimeoutMs);
    }
    /// Focuses the window and types a key there: its requests then carry a fresh input serial
    /// (mutter ignores a clipboard request whose serial is not newer than the current owner's).
    bool takeInput()
    {
        // A fresh virtual keyboard's first keys can be lost while its keymap reaches the window:
        // one key is typed until it arrives.
        clear();
        return focus() && QTest::qWaitFor(
                              [this] {
                                  return typeInShell({QStringLiteral("x")}) &&
                                         QTest::qWaitFor([this] { return !text().isEmpty(); }, 500);
                              },
                              shellTimeoutMs);
    }
    /// Returns once the window has handled the Ctrl+C: the shell's keys arrive after its answer.
    bool copy(QMimeData* data)
    {
        m_next.reset(data);
        return takeInput() && typeInShell({QStringLiteral("Control_L"), QStringLiteral("c")}) &&
               QTest::qWaitFor([&] { return !m_next; }, shellTimeoutMs);
    }

    bool copyText(const QString& text)
    {
        auto* data = new QMimeData;
        data->setText(text);
        return copy(data);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!m_next || !event->matches(QKeySequence::Copy))
            return QLineEdit::keyPressEvent(event);
        QGuiApplication::clipboard()->setMimeData(m_next.release());
    }

private:
    std::unique_ptr<QMimeData> m_next;
};

} // namespace ovelin::test
