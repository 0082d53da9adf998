#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "platform/ClipboardService.h"

/// The clipboard of a Wayland seat through the compositor's data-control protocol
/// (ext_data_control_manager_v1, else zwlr_data_control_manager_v1), which lets a client follow
/// and set the clipboard without keyboard focus. Everything Wayland runs on a thread of its own,
/// over a connection of its own: transfers from other clients, and the answers to those who read
/// what Ovelin wrote. The primary selection is never captured.
class WaylandClipboardService : public QObject, public ClipboardService
{
    Q_OBJECT
public:
    /// Per format: no answer, or no data for this long, ends a transfer in either direction.
    static constexpr int transferTimeoutMs = 2000;

    /// The data-control protocol the compositor of WAYLAND_DISPLAY offers, as its global is named
    /// ("ext_data_control_manager_v1" or "zwlr_data_control_manager_v1", the first preferred);
    /// none when it offers neither (the clipboard cannot be watched there) or cannot be reached.
    /// Asks over a short-lived connection of its own.
    static std::optional<QString> dataControlProtocol();

    /// Connects to the compositor at once. Without data-control nothing is watched, and writes
    /// go through QClipboard (which a compositor honours while an Ovelin window has focus).
    explicit WaylandClipboardService(QObject* parent = nullptr);
    /// Withdraws what Ovelin offers and stops the thread; snapshots not yet delivered are dropped.
    ~WaylandClipboardService() override;

    /// The data-control protocol in use; none without one.
    std::optional<QString> protocol() const;

    quint64 changeCount() const override;
    ClipboardSnapshot read() override;
    void watch(SnapshotHandler handler) override;
    void write(const ClipboardContent& content) override;
    /// Does nothing where the compositor's data-control has no primary selection.
    void writePrimarySelection(const ClipboardContent& content) override;

private:
    class Worker;

    void setSelection(const ClipboardContent& content, bool primary);

    SnapshotHandler m_handler;
    quint64 m_watch = 0; // which watch() the snapshots in flight belong to
    std::unique_ptr<Worker> m_worker;
};
