#pragma once

#include <functional>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

/// What the clipboard held at one moment, as the representations the history cares about.
/// Every field is empty when the clipboard did not offer that representation.
struct ClipboardSnapshot
{
    /// The owner marked the content as secret (x-kde-passwordManagerHint): nothing else is read.
    bool concealed = false;
    /// The entries of text/uri-list, in order, without comment and blank lines. Not parsed.
    QStringList uriList;
    /// The plain text (text/plain, UTF-8), exactly as offered.
    std::optional<QString> text;
    /// text/rtf, else application/rtf.
    std::optional<QByteArray> rtf;
    /// text/html.
    std::optional<QByteArray> html;
    /// The bytes of the first offered of image/png, image/tiff, image/jpeg, image/gif, image/bmp,
    /// image/webp, unchanged.
    std::optional<QByteArray> image;
};

/// New clipboard contents: representations by MIME type, in the order given, and optionally an
/// image object that the clipboard offers in whatever image formats it can encode.
/// Empty content clears the clipboard.
struct ClipboardContent
{
    QList<std::pair<QString, QByteArray>> formats;
    std::optional<QImage> image;

    bool isEmpty() const { return formats.isEmpty() && !image; }
};

/// The system clipboard (on X11, the CLIPBOARD selection). GUI thread only.
class ClipboardService
{
public:
    /// Receives a complete snapshot on the GUI thread. `changed` is false for the contents held
    /// when watching began and true for every later change of owner or contents.
    using SnapshotHandler = std::function<void(const ClipboardSnapshot& snapshot, bool changed)>;

    virtual ~ClipboardService() = default;

    /// Starts delivering snapshots to `handler`: the current contents first, then one snapshot
    /// per change, however quickly changes follow. Transfers from other applications run off the
    /// GUI thread, so the GUI thread never waits for them. A later call replaces the handler; an
    /// empty handler stops the deliveries.
    virtual void watch(SnapshotHandler handler) = 0;

    /// Grows whenever the clipboard's contents or owner change. Costs no transfer, so a caller
    /// can keep the last snapshot until the count moves.
    virtual quint64 changeCount() const = 0;
    /// Transfers the current contents. A transfer from another application may block the
    /// calling thread, for at most one bounded selection timeout in all.
    virtual ClipboardSnapshot read() = 0;
    /// Replaces the contents (clears them for empty content).
    virtual void write(const ClipboardContent& content) = 0;
    /// Replaces the primary selection (on X11, PRIMARY), which some terminals paste on
    /// Shift+Insert instead of the clipboard.
    virtual void writePrimarySelection(const ClipboardContent& content) = 0;
};
