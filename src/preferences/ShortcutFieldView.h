#pragma once

#include <functional>

#include <QAbstractButton>
#include <QString>
#include <QWidget>

class KeyboardEventCatcher;
class QVariantAnimation;

/// The shortcut recorder of the general preferences: a field showing the stored "shortcutKey"
/// and, while recording or when a shortcut is stored, a clear/cancel button.
///
/// A click on the idle field starts a recording (the stored text is emptied meanwhile); the next
/// key that is not a modifier is stored and registered. Escape, the cancel button, and the
/// recorder going away mid-recording all restore and re-register the shortcut that was stored
/// before, so a recording never leaves the stored shortcut empty. A click on the field during
/// a recording changes nothing. In the idle state the button clears the stored shortcut.
class ShortcutFieldView : public QWidget
{
    Q_OBJECT
public:
    using Registrar = std::function<void(const QString&)>;

    /// `registerShortcut` arms the global shortcut for a stored text (none: the text is only stored).
    explicit ShortcutFieldView(QWidget* parent = nullptr, Registrar registerShortcut = {});
    ~ShortcutFieldView() override;

    bool isRecording() const { return m_recording; }
    /// The stored "shortcutKey" text (bound to the setting).
    QString recordedShortcut() const;
    /// The text the field shows now.
    QString fieldText() const;
    bool isHoveringClearButton() const { return m_hoveringButton; }

    QWidget* field() const;
    QAbstractButton* clearButton() const;
    /// The key receiver, present only while recording.
    KeyboardEventCatcher* eventCatcher() const { return m_catcher; }

Q_SIGNALS:
    void recordingChanged(bool recording);
    /// The recorder wrote a new text under "shortcutKey".
    void recordedShortcutChanged(const QString& shortcut);

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class Field;
    class ClearButton;

    void startRecording();
    void pressClearButton();
    void commit(const QString& shortcut);
    void cancelRecording();
    void setRecording(bool recording);
    void setRecordedShortcut(const QString& shortcut);
    void registerShortcut(const QString& shortcut);
    void setHoveringButton(bool hovering);
    void refresh();

    Registrar m_register;
    bool m_recording = false;
    QString m_tempShortcut;
    bool m_hoveringButton = false;
    Field* m_field;
    ClearButton* m_button;
    KeyboardEventCatcher* m_catcher = nullptr;
};
