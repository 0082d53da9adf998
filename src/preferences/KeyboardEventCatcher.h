#pragma once

#include <functional>

#include <QWidget>

/// The invisible receiver of key presses while a shortcut is being recorded. It takes the
/// keyboard focus as soon as it is shown and keeps every key press to itself, Tab included.
/// Presses while `isRecording` answers false are ignored, and so are presses of a modifier key
/// on its own: the recording ends with the first key that is not a modifier.
class KeyboardEventCatcher : public QWidget
{
    Q_OBJECT
public:
    explicit KeyboardEventCatcher(std::function<bool()> isRecording, QWidget* parent = nullptr);

    /// The recorded text of a key press: "⌃", "⌥", "⇧", "⌘" for the held Control, Alt, Shift and
    /// Super keys, in that order, then the key's character in upper case (nothing for keys that
    /// have none, such as F1 or the arrows).
    static QString shortcutText(Qt::KeyboardModifiers modifiers, int key);
    /// Shift, Control, Alt, Super and the other keys that only modify the next one.
    static bool isModifierKey(int key);

Q_SIGNALS:
    /// A key other than Escape was pressed during a recording.
    void captured(const QString& shortcut);
    /// Escape was pressed during a recording.
    void escapePressed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::function<bool()> m_isRecording;
};
