#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QUuid>

class HotKey;
class HotKeyBackend;

/// The process-wide registry of hot keys: issues their IDs, registers them with the system
/// through a HotKeyBackend and dispatches the system's press and release events to them.
/// Never instantiated; GUI thread only.
class HotKeysController
{
public:
    HotKeysController() = delete;

    /// The four-character code "ZvKy", big-endian, that tags this registry's events.
    static std::uint32_t signature();

    /// What a system event asks for.
    enum class EventKind : std::uint32_t
    {
        pressed = 5,
        released = 6
    };

    /// One event from the system, as the backend reports it.
    struct Event
    {
        std::uint32_t signature = 0;
        std::uint32_t hotKeyID = 0;
        std::uint32_t kind = 0;
    };

    /// The outcome of a dispatch: handled (a handler ran) or not handled.
    enum class DispatchStatus : std::int32_t
    {
        noErr = 0,
        eventNotHandledErr = -9874
    };

    /// Registers the hot key unless it is registered already. A refusal by the system is silent:
    /// the box stays in the registry without a handle.
    static void registerHotKey(const std::shared_ptr<HotKey>& hotKey);
    /// Unregisters the hot key with the given identifier, if registered.
    static void unregisterHotKey(const QUuid& identifier);

    /// Runs the handler an event asks for. Returns eventNotHandledErr for no event, a foreign
    /// signature, an unknown or stale ID (a stale box is dropped), a kind other than pressed or
    /// released, a paused hot key, or a missing handler.
    static DispatchStatus dispatch(const Event* event);

    /// The ID under which the hot key is registered, or none.
    static std::optional<std::uint32_t> hotKeyID(const QUuid& identifier);
    /// True when the system accepted the hot key's registration.
    static bool hasSystemHandle(const QUuid& identifier);
    /// The number of boxes in the registry.
    static int boxCount();

    /// Replaces the system backend (the X11 one on X11, a refusing one elsewhere); tests install
    /// fakes. The controller owns it. Existing registrations are not moved to the new backend.
    static void setBackend(std::unique_ptr<HotKeyBackend> backend);
};
