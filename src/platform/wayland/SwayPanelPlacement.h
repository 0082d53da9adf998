#pragma once

#include <QObject>
#include <QSize>
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

    /// Asks sway to place the panel, of `size`; call it right after the panel was shown.
    void place(QSize size);

    /// The sway commands that place the container `conId` with `size`, given anew for a window
    /// that sway mapped tiled (one without a fixed width) and that took the tiled size.
    static QString commands(qint64 conId, QSize size);

private:
    void subscribe();
    void windowEvent(quint32 type, const QByteArray& payload);
    void placeContainer(qint64 conId);

    SwayIpcClient* m_ipc;
    QTimer m_waiting;
    QSize m_size;
    qint64 m_panel = 0;
    // The window of this process that sway mapped last while a placement waits.
    qint64 m_mapped = 0;
};
