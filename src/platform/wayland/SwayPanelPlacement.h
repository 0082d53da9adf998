#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class SwayIpcClient;

/// Puts Ovelin's panel at the pointer on sway, where a client cannot place its own window: the
/// panel floats without a border on every workspace and is centred on the cursor, which sway keeps
/// inside the output. The help viewer bears the panel's title, so the panel is told apart by
/// timing: it is the first window of this process titled "Ovelin" that sway maps after `place()`
/// (Qt maps a fresh window each time the panel is shown), or the one placed last while it lives.
class SwayPanelPlacement : public QObject
{
    Q_OBJECT
public:
    /// `ipc` is not owned and must outlive the placement. Subscribes to sway's window events at
    /// once, so that it is listening before the panel is first shown.
    explicit SwayPanelPlacement(SwayIpcClient* ipc, QObject* parent = nullptr);

    /// Asks sway to place the panel; call it right after the panel was shown. The panel's fixed
    /// width makes sway map it floating at its own size.
    void place();

    /// The sway commands that place the container `conId`.
    static QString commands(qint64 conId);

private:
    void subscribe();
    void windowEvent(quint32 type, const QByteArray& payload);
    void placeContainer(qint64 conId);

    SwayIpcClient* m_ipc;
    QTimer m_waiting;
    qint64 m_panel = 0;
    // The window of this process that sway mapped last while a placement waits.
    qint64 m_mapped = 0;
};
