#pragma once

#include <algorithm>
#include <map>
#include <vector>

#include "HotKey/HotKeyBackend.h"
#include "HotKey/KeyCombo.h"

namespace ovelin::test {

/// Records what the controller asks of the system; refuses the combinations it is told to.
class FakeHotKeyBackend final : public HotKeyBackend
{
public:
    struct Registration
    {
        KeyCombo combo;
        std::uint32_t signature;
        std::uint32_t id;
        Handle handle;
    };

    std::vector<Registration> registered;
    std::vector<Handle> unregistered;
    std::vector<KeyCombo> refused;
    std::map<Handle, KeyCombo> active; // registered now
    int handlerInstalls = 0;
    Handle lastHandle = 100;

    std::optional<Handle> registerHotKey(std::uint32_t code, std::uint32_t mask, std::uint32_t signature,
                                         std::uint32_t id) override
    {
        const KeyCombo combo(code, mask);
        if (std::find(refused.begin(), refused.end(), combo) != refused.end())
            return std::nullopt;
        registered.push_back({combo, signature, id, ++lastHandle});
        active.emplace(lastHandle, combo);
        return lastHandle;
    }
    void unregisterHotKey(Handle handle) override
    {
        unregistered.push_back(handle);
        active.erase(handle);
    }
    void installEventHandler() override { ++handlerInstalls; }
};

} // namespace ovelin::test
