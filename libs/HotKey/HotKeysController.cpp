#include "HotKeysController.h"

#include <map>

#include "HotKey.h"
#include "HotKeyBackend.h"

// Defined by the platform's backend source; none when the running platform offers no global keys.
std::unique_ptr<HotKeyBackend> createPlatformHotKeyBackend();

namespace {

struct HotKeyBox
{
    QUuid identifier;
    std::weak_ptr<HotKey> hotKey;
    std::uint32_t carbonHotKeyID = 0;
    std::optional<HotKeyBackend::Handle> carbonEventHotKey;
};

// Used where the platform has no global hot keys (for example Qt's offscreen platform).
class RefusingBackend final : public HotKeyBackend
{
public:
    std::optional<Handle> registerHotKey(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override
    {
        return std::nullopt;
    }
    void unregisterHotKey(Handle) override {}
    void installEventHandler() override {}
};

struct Registry
{
    std::map<std::uint32_t, HotKeyBox> boxesByID;
    std::uint32_t lastHotKeyID = 0;
    bool installedHandler = false;
    std::unique_ptr<HotKeyBackend> backend;

    HotKeyBackend& systemBackend()
    {
        if (!backend) {
            backend = createPlatformHotKeyBackend();
            if (!backend) {
                backend = std::make_unique<RefusingBackend>();
            }
        }
        return *backend;
    }

    std::map<std::uint32_t, HotKeyBox>::iterator findBox(const QUuid& identifier)
    {
        for (auto it = boxesByID.begin(); it != boxesByID.end(); ++it) {
            if (it->second.identifier == identifier) {
                return it;
            }
        }
        return boxesByID.end();
    }
};

// Never destroyed: hot keys owned by other long-lived objects may unregister during exit.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

} // namespace

std::uint32_t HotKeysController::signature()
{
    static const std::uint32_t value = (std::uint32_t('Z') << 24) | (std::uint32_t('v') << 16) |
                                       (std::uint32_t('K') << 8) | std::uint32_t('y');
    return value;
}

void HotKeysController::registerHotKey(const std::shared_ptr<HotKey>& hotKey)
{
    if (!hotKey) {
        return;
    }
    Registry& state = registry();
    if (state.findBox(hotKey->identifier()) != state.boxesByID.end()) {
        return;
    }
    const std::uint32_t id = ++state.lastHotKeyID;
    HotKeyBox& box = state.boxesByID[id];
    box.identifier = hotKey->identifier();
    box.hotKey = hotKey;
    box.carbonHotKeyID = id;

    const KeyCombo combo = hotKey->keyCombo();
    const auto handle =
        state.systemBackend().registerHotKey(combo.carbonKeyCode, combo.carbonModifiers, signature(), id);
    if (!handle) {
        return;
    }
    box.carbonEventHotKey = *handle;
    if (!state.installedHandler) {
        state.systemBackend().installEventHandler();
        state.installedHandler = true;
    }
}

void HotKeysController::unregisterHotKey(const QUuid& identifier)
{
    Registry& state = registry();
    const auto it = state.findBox(identifier);
    if (it == state.boxesByID.end()) {
        return;
    }
    if (it->second.carbonEventHotKey && state.backend) {
        state.backend->unregisterHotKey(*it->second.carbonEventHotKey);
    }
    state.boxesByID.erase(it);
}

HotKeysController::DispatchStatus HotKeysController::dispatch(const Event* event)
{
    if (event == nullptr || event->signature != signature()) {
        return DispatchStatus::eventNotHandledErr;
    }
    Registry& state = registry();
    const auto it = state.boxesByID.find(event->hotKeyID);
    std::shared_ptr<HotKey> hotKey = it != state.boxesByID.end() ? it->second.hotKey.lock() : nullptr;
    if (!hotKey) {
        if (it != state.boxesByID.end()) {
            if (it->second.carbonEventHotKey && state.backend) {
                state.backend->unregisterHotKey(*it->second.carbonEventHotKey);
            }
            state.boxesByID.erase(it);
        }
        return DispatchStatus::eventNotHandledErr;
    }
    const HotKey::Handler* handler = nullptr;
    switch (event->kind) {
    case static_cast<std::uint32_t>(EventKind::pressed):
        handler = &hotKey->keyDownHandler();
        break;
    case static_cast<std::uint32_t>(EventKind::released):
        handler = &hotKey->keyUpHandler();
        break;
    default:
        return DispatchStatus::eventNotHandledErr;
    }
    if (hotKey->isPaused() || !*handler) {
        return DispatchStatus::eventNotHandledErr;
    }
    // Copied: the handler may release the hot key (and with it the handler) while it runs.
    const HotKey::Handler run = *handler;
    run();
    return DispatchStatus::noErr;
}

std::optional<std::uint32_t> HotKeysController::hotKeyID(const QUuid& identifier)
{
    Registry& state = registry();
    const auto it = state.findBox(identifier);
    if (it == state.boxesByID.end()) {
        return std::nullopt;
    }
    return it->first;
}

bool HotKeysController::hasSystemHandle(const QUuid& identifier)
{
    Registry& state = registry();
    const auto it = state.findBox(identifier);
    return it != state.boxesByID.end() && it->second.carbonEventHotKey.has_value();
}

int HotKeysController::boxCount()
{
    return static_cast<int>(registry().boxesByID.size());
}

void HotKeysController::setBackend(std::unique_ptr<HotKeyBackend> backend)
{
    Registry& state = registry();
    state.backend = std::move(backend);
    state.installedHandler = false;
}
