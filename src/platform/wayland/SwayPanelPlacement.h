#pragma once

#include <QObject>
#include <QString>

class SwayIpcClient;

/// Puts Ovelin's panel at the pointer on sway, where a client cannot place its own window: the
/// panel floats without a border on every workspace and is centred on the cursor, which sway keeps
/// inside the output. The panel is found by this process's id and its title "Ovelin".
class SwayPanelPlacement : public QObject
{
    Q_OBJECT
public:
    /// `ipc` is not owned and must outlive the placement.
    explicit SwayPanelPlacement(SwayIpcClient* ipc, QObject* parent = nullptr);

    /// Asks sway to place the panel; call it after the panel was shown.
    void place();

    /// The sway commands of the first placement: a rule for every later mapping of the panel
    /// (Qt maps a fresh window each time it is shown), and the same for a panel mapped already.
    static QString firstCommands(qint64 pid);
    static QString placeCommands(qint64 pid);

private:
    SwayIpcClient* m_ipc;
    bool m_ruleSent = false;
};
