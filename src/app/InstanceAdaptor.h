#pragma once

#include <chrono>
#include <functional>

#include <QDBusAbstractAdaptor>

class QDBusMessage;

#include "app/InstanceBus.h"

/// Ovelin's name, object and interface on the session bus.
namespace InstanceDBus {
inline constexpr char service[] = "app.ovelin.Ovelin";
inline constexpr char path[] = "/app/ovelin/Ovelin";
inline constexpr char interface[] = "app.ovelin.Ovelin";
} // namespace InstanceDBus

/// The commands the running Ovelin takes on the session bus. Each call is handed to the handler
/// on the GUI thread, in the order the calls arrive.
class InstanceAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.ovelin.Ovelin")
public:
    /// Attaches to `parent`, which is what gets registered on the bus.
    InstanceAdaptor(QObject* parent, std::function<void(InstanceCommand)> handler);

    enum class Publication
    {
        Published,
        /// Another process (an Ovelin that is still ending) holds the name: this one is next in
        /// the bus's queue and answers once the name comes to it.
        Waiting,
        Failed
    };
    /// Registers `parent`'s object and takes the name, printing a line unless that succeeds at
    /// once. While it waits for the name it says so, and says again when the name has not come
    /// after `nameTimeout` (it goes on waiting).
    static Publication publish(QObject* parent,
                               std::chrono::milliseconds nameTimeout = std::chrono::seconds(30));

public Q_SLOTS:
    void Toggle();
    void Show();
    void ShowPreferences();
    void Quit();
    /// Captures nothing for `minutes` (0: until Resume); minutes outside 0 to 10080 are refused
    /// with InvalidArgs, as on the command line.
    void Pause(int minutes, const QDBusMessage& message);
    void Resume();

private:
    std::function<void(InstanceCommand)> m_handler;

public:
    /// Receives Pause's minutes; the handler then gets PauseCapture.
    void setPauseHandler(std::function<void(int)> handler) { m_pauseHandler = std::move(handler); }

private:
    std::function<void(int)> m_pauseHandler;
};

/// The session bus as seen by a second start.
class DBusInstanceBus : public InstanceBus
{
public:
    bool isConnected() override;
    bool isAnswering() override;
    bool send(InstanceCommand command) override;
    /// The minutes sent with PauseCapture.
    void setPauseMinutes(int minutes) { m_pauseMinutes = minutes; }

private:
    int m_pauseMinutes = 0;
};
