#pragma once

#include <cstdint>
#include <optional>

/// The system side of hot key registration, one implementation per windowing system.
/// HotKeysController owns the backend in use.
class HotKeyBackend
{
public:
    using Handle = std::uint64_t;

    virtual ~HotKeyBackend() = default;

    /// Asks the system for a global hot key. Returns a handle, or none when the system refuses
    /// (the combination is taken by another client, or the keyboard has no such key). The
    /// backend reports presses and releases through HotKeysController::dispatch with the
    /// signature and ID given here.
    virtual std::optional<Handle> registerHotKey(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                                 std::uint32_t signature, std::uint32_t hotKeyID) = 0;
    virtual void unregisterHotKey(Handle handle) = 0;

    /// Starts delivering events; called once, after the first successful registration.
    virtual void installEventHandler() = 0;
};
