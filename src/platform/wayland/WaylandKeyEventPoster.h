#pragma once

#include <QObject>

#include "platform/KeyEventPoster.h"

class WaylandGuiConnection;
struct xkb_keymap;
struct xkb_state;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

/// Types into the focused Wayland window through one virtual keyboard for the process
/// (zwp_virtual_keyboard_manager_v1), with a "us" keymap built by xkbcommon. Terminals get
/// Ctrl+Shift+V. Has a connection of its own, so that a compositor refusing virtual keyboards
/// (a fatal protocol error) takes no other service down with it. GUI thread only.
class WaylandKeyEventPoster : public QObject, public KeyEventPoster
{
    Q_OBJECT
public:
    /// How long a client takes to learn a fresh keyboard's keymap, after a harmless key.
    static constexpr std::chrono::milliseconds settleTime{100};

    explicit WaylandKeyEventPoster(QObject* parent = nullptr);
    ~WaylandKeyEventPoster() override;

    /// Whether the compositor offers virtual keyboards and the keyboard was made.
    bool isAvailable() const;

    QString mechanismName() const override { return QStringLiteral("virtual keyboard"); }
    PasteKeystroke terminalPasteKeystroke() const override { return PasteKeystroke::ControlShiftV; }
    /// Taps Shift: the first key of a keyboard new to the focused client can be lost while the
    /// client loads its keymap, and the seat changes keyboards whenever a physical one typed.
    std::chrono::milliseconds prepareToPost() override;
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override;

private:
    bool createKeyboard();
    uint32_t keycodeFor(uint32_t keysym) const;
    void sendKey(uint32_t keycode, bool pressed);
    bool usable(QString* error) const;

    WaylandGuiConnection* m_connection;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_state = nullptr;
    QString m_setupError;
};
