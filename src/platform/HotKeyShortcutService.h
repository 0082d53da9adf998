#pragma once

#include <memory>

#include "platform/GlobalShortcutService.h"

class HotKey;

/// Where Ovelin grabs global keys itself (X11): binds the panel's shortcut as a system-wide hot
/// key of the hot key module. A grab the system refuses (another client holds the keys) is silent,
/// as it always was; state() tells it. GUI thread only.
class HotKeyShortcutService : public GlobalShortcutService
{
public:
    HotKeyShortcutService();
    ~HotKeyShortcutService() override;

    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override;
    State state() const override;

    /// The grabbed hot key, if any (owned by the service).
    const HotKey* hotKey() const { return m_hotKey.get(); }

private:
    std::shared_ptr<HotKey> m_hotKey;
};
