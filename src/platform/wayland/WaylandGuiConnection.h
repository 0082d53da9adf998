#pragma once

#include <cstdint>

#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;

/// A Wayland connection of its own whose events are read on the GUI thread by a socket notifier,
/// never by a blocking call once it is set up. Binds the first seat. GUI thread only.
class WaylandGuiConnection : public QObject
{
    Q_OBJECT
public:
    /// Connects to the compositor that WAYLAND_DISPLAY names and learns its globals (waits at most
    /// `setupTimeoutMs` for them). isConnected() says whether it worked.
    explicit WaylandGuiConnection(int setupTimeoutMs = 3000, QObject* parent = nullptr);
    ~WaylandGuiConnection() override;

    /// False when there was no compositor, or it closed the connection or reported an error.
    bool isConnected() const;
    /// Why the connection is not usable (empty while it is).
    QString errorString() const { return m_error; }
    wl_display* display() const { return m_display; }
    wl_seat* seat() const { return m_seat; }
    /// Binds the compositor's global of this interface at `version` or the compositor's own
    /// version when that is lower; null when the compositor does not offer it.
    void* bind(const wl_interface* interface, uint32_t version);
    /// Whether the compositor still offers a global of this interface (it may withdraw one).
    bool offers(const wl_interface* interface) const;
    /// Sends the requests made so far without waiting.
    bool flush();

private:
    struct Global
    {
        uint32_t name;
        QString interface;
        uint32_t version;
    };
    static void handleGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                             uint32_t version);
    static void handleGlobalRemove(void* data, wl_registry* registry, uint32_t name);
    bool setUp(int timeoutMs);
    void readEvents();
    bool checkError();
    const Global* global(const wl_interface* interface) const;

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QList<Global> m_globals;
    QString m_error;
};
