#pragma once

#include "platform/GlobalShortcutService.h"

/// Where the desktop offers Ovelin no way to bind a key (no sway IPC, no GlobalShortcuts portal):
/// binding only says which command the user can bind in the desktop's own settings.
class UnboundShortcutService : public GlobalShortcutService
{
public:
    void bind(const Combination& combination, std::function<void()> pressed) override;
    void unbind() override {}
};
