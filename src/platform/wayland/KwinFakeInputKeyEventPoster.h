#pragma once

#include <QObject>

#include "platform/KeyEventPoster.h"

class WaylandGuiConnection;
struct org_kde_kwin_fake_input;

/// Types into the focused window on KWin through its fake-input device
/// (org_kde_kwin_fake_input v4: authenticate, then evdev key codes). KWin offers the device only
/// to the executable its installed desktop entry names (X-KDE-Wayland-Interfaces). The keys go
/// through KWin's own keyboard and keymap, so nothing needs to settle first. Has a connection of
/// its own. GUI thread only.
class KwinFakeInputKeyEventPoster : public QObject, public KeyEventPoster
{
    Q_OBJECT
public:
    explicit KwinFakeInputKeyEventPoster(QObject* parent = nullptr);
    ~KwinFakeInputKeyEventPoster() override;

    /// Whether KWin offered the device to this process, has not withdrawn it, and the connection
    /// still stands.
    bool isAvailable() const;

    QString mechanismName() const override { return QStringLiteral("fake input"); }
    PasteKeystroke terminalPasteKeystroke() const override { return PasteKeystroke::ControlShiftV; }
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override;

private:
    WaylandGuiConnection* m_connection;
    org_kde_kwin_fake_input* m_fakeInput = nullptr;
};
