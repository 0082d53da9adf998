#pragma once

#include <memory>

#include <QObject>
#include <QStringList>

#include "platform/ClipboardService.h"

class GnomeShellClient;
class QThreadPool;

/// The clipboard of a GNOME session through the Shell extension: one signal per change, each
/// format read on a worker thread (the extension caps and times out every read). While an Ovelin
/// window has the focus, writes go through Qt as an ordinary Wayland client, with every format;
/// otherwise through the extension, which offers one format.
class GnomeClipboardService : public QObject, public ClipboardService
{
    Q_OBJECT
public:
    /// `shell` is not owned and outlives the service.
    explicit GnomeClipboardService(GnomeShellClient* shell, QObject* parent = nullptr);
    ~GnomeClipboardService() override;

    void watch(SnapshotHandler handler) override;
    quint64 changeCount() const override { return m_changeCount; }
    ClipboardSnapshot read() override;
    void write(const ClipboardContent& content) override;
    void writePrimarySelection(const ClipboardContent& content) override;

private:
    struct State
    {
        quint32 serial = 0;
        QStringList formats;
        QString owner;
        bool concealed = false;
    };
    void subscribe();
    void changed(const State& state, bool isChange);
    static ClipboardSnapshot snapshotOf(GnomeShellClient* shell, const State& state);

    GnomeShellClient* m_shell;
    SnapshotHandler m_handler;
    quint64 m_watch = 0;
    quint64 m_changeCount = 0;
    State m_state;
    bool m_known = false;                  // m_state came from the extension now serving
    std::unique_ptr<QThreadPool> m_reader; // one thread: snapshots in the order of the changes
};
