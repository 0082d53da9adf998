#include "preferences/KeyboardEventCatcher.h"

#include <QKeyEvent>

#include "HotKey/Modifiers.h"
#include "common/Console.h"

KeyboardEventCatcher::KeyboardEventCatcher(std::function<bool()> isRecording, QWidget* parent)
    : QWidget(parent), m_isRecording(std::move(isRecording))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool KeyboardEventCatcher::isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

QString KeyboardEventCatcher::shortcutText(Qt::KeyboardModifiers modifiers, int key)
{
    QString text = ModifierFlags::fromQt(modifiers).description();
    // Qt names printable keys by their character (letters in upper case, shifted symbols as
    // typed); the special keys live above the Unicode range and have no character.
    if (key > 0 && key < Qt::Key_Escape) {
        const char32_t character = char32_t(key);
        text += QString::fromUcs4(&character, 1).toUpper();
    }
    return text;
}

bool KeyboardEventCatcher::event(QEvent* event)
{
    const bool recording = m_isRecording && m_isRecording();
    if (recording && event->type() == QEvent::ShortcutOverride) {
        // Every combination belongs to the recording, even one the window uses as a shortcut.
        event->accept();
        return true;
    }
    if (recording && event->type() == QEvent::KeyPress) {
        // Tab and Backtab would otherwise move the focus before keyPressEvent sees them.
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

void KeyboardEventCatcher::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (!m_isRecording || !m_isRecording() || isModifierKey(event->key()))
        return;
    if (event->key() == Qt::Key_Escape) {
        ovelin::printLine(QStringLiteral("❌ Gravação cancelada"));
        Q_EMIT escapePressed();
        return;
    }
    Q_EMIT captured(shortcutText(event->modifiers(), event->key()));
}

void KeyboardEventCatcher::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}
