#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

#include "history/ClipboardItem.h"
#include "platform/ClipboardService.h"
#include "platform/PlatformServices.h"

struct ClipboardContent;
struct FrontmostApplication;

/// Puts a history entry back on the clipboard and makes the frontmost application paste it.
/// Built on the platform services installed with installServices(): the application installs
/// the X11 ones at start-up, tests install fakes. GUI thread only.
class PasteManager : public QObject
{
    Q_OBJECT
public:
    static PasteManager& shared();
    /// Replaces the services the shared instance uses. Until this is called, both operations only
    /// print what they would do.
    static void installServices(const PlatformServices& services);
    const PlatformServices& services() const { return m_services; }

    /// Replaces the clipboard contents with the item. Images go through a temporary PNG file so
    /// that the target receives a file. `plainText` leaves out a text's RTF and HTML forms
    /// whatever "useRichTextPaste" says; other kinds are written as usual.
    void copyToPasteboard(const ClipboardItem& item, bool plainText = false);
    /// Sends the paste keystroke to the frontmost application once the focus has settled: the
    /// key poster's terminal keystroke for terminal emulators (Shift+Insert with the last copied
    /// content on the primary selection too, on X11), Ctrl+V for everything else. `done` runs
    /// after the outcome was printed; where nothing waits, before this returns.
    void performPaste(std::function<void()> done = {});
    /// The longest wait for the window system to hand the focus back before pasting.
    static constexpr std::chrono::milliseconds focusSettleTimeout{1500};

    /// The kind of the item last written ("text", "file", "group", "image").
    const std::optional<QString>& lastCopiedContentType() const { return m_lastCopiedContentType; }
    /// Whether the captured RTF or HTML form is written beside plain text ("useRichTextPaste").
    bool useRichTextPaste() const;

    static QString contentTypeName(ClipboardItemKind kind);
    /// The terminal emulators' WM_CLASS classes and Wayland app ids, in lower case.
    static const QSet<QString>& terminalWindowClasses();
    /// Whether the identifier names a terminal emulator, whatever its case.
    static bool isTerminal(const std::optional<QString>& identifier);

    /// Writes the bytes to a new "Ovelin_Image_<UUID>.png" in temporaryImageFolder(), readable by
    /// the user only; none (and one printed line) when the file cannot be written.
    static std::optional<QUrl> saveTemporaryImage(const QByteArray& bytes);
    /// Ovelin's own folder for pasted images: "Ovelin" under $XDG_RUNTIME_DIR, else "Ovelin-<uid>"
    /// in the temporary folder. Created 0700; refused (empty, with `error` set) when it is not a
    /// real folder of this user's.
    static QString temporaryImageFolder(QString* error);

    /// How long the newest pasted image outlives its item, so the receiving application can
    /// still read it after a "Clear history".
    static constexpr int newestImageGraceSeconds = 180;
    /// Deletes the pasted images whose items are no longer in `history`, except the newest one
    /// while it is younger than the grace period.
    void releaseTemporaryImages(const QList<ClipboardItem>& history,
                                const QDateTime& now = QDateTime::currentDateTimeUtc());
    /// Deletes every pasted image (at quit).
    void removeTemporaryImages();

private:
    PasteManager() = default;
    ClipboardContent contentFor(const ClipboardItem& item, bool plainText);
    void pasteIntoFrontmost(const std::function<void()>& done);
    void releaseExpiredImages(const QDateTime& now);

    PlatformServices m_services;
    std::optional<QString> m_lastCopiedContentType;
    ClipboardContent m_lastContent;

    struct TemporaryImage
    {
        QString path;
        QUuid itemID;
        QDateTime written;
    };
    QList<TemporaryImage> m_temporaryImages; // oldest first
    QSet<QUuid> m_itemsInHistory;
    bool m_expiryScheduled = false;
};
