#pragma once

#include <chrono>
#include <functional>

#include <QObject>
#include <QString>

class ClipboardItem;

/// How the user asked for the paste.
enum class PasteOrigin
{
    Keyboard, ///< Return in the list
    RowClick  ///< a click on a row: plays the click sound when "playClickSound" is on
};

/// The one paste sequence of the list and its rows: optional click sound, write the item to the
/// clipboard, hide Ovelin and give the focus back, then 0.2 s later paste into the frontmost
/// application and report it. GUI thread only.
class PasteSequence : public QObject
{
    Q_OBJECT
public:
    static constexpr int pasteDelayMs = 200;

    static PasteSequence& shared();

    /// `plainText` pastes a text item without its RTF and HTML forms.
    void paste(const ClipboardItem& item, PasteOrigin origin, bool plainText = false);

    /// Installed by the app shell: hides Ovelin's windows and gives the focus back to the window
    /// that was active before the panel was shown. Default: hide every visible top-level widget.
    void setHideApplicationHandler(std::function<void()> handler);

    /// The wait between giving the focus back and the paste keystroke; `pasteDelayMs` unless
    /// changed (tests shorten it).
    void setPasteDelay(std::chrono::milliseconds delay) { m_pasteDelay = delay; }
    std::chrono::milliseconds pasteDelay() const { return m_pasteDelay; }

Q_SIGNALS:
    /// After the paste keystroke was posted (or could not be); the kind of the pasted item, or
    /// "unknown".
    void pastePerformed(const QString& contentType);

private:
    PasteSequence();
    std::function<void()> m_hideApplication;
    std::chrono::milliseconds m_pasteDelay{pasteDelayMs};
};
