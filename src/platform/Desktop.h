#pragma once

#include <functional>
#include <memory>

#include "platform/PlatformServices.h"

class CapabilityService;
class GlobalMouseMonitor;
class GlobalShortcutService;
class LoginItemService;
class WindowSystem;

/// The display backend of the running application and the one set of services it offers.
/// Callers never learn which backend runs.
class Desktop
{
public:
    struct Services
    {
        PlatformServices platform;
        WindowSystem* windowSystem = nullptr;
        CapabilityService* capabilities = nullptr;
        LoginItemService* loginItem = nullptr;
        /// The service the panel's shortcut goes to: Ovelin's own key grab (X11), the desktop's
        /// binding (Wayland), or one that names the command to bind by hand.
        GlobalShortcutService* shortcuts = nullptr;
        /// False where the clipboard cannot be watched (a compositor without data-control); the
        /// clipboard service still writes for a paste.
        bool watchesClipboard = true;
        /// The global pointer monitor, or none where the session gives no global motion.
        std::function<std::unique_ptr<GlobalMouseMonitor>()> createMouseMonitor;
        /// Runs `lost` (with its line printed) when the display connection is gone, right before
        /// the process ends; an empty function stops watching.
        std::function<void(std::function<void()>)> onDisplayLost;
    };

    /// Picks the backend from the environment and points Qt at its platform plugin. Call before
    /// the QApplication exists; prints a line when OVELIN_PLATFORM names no backend.
    static void choose();

    /// The chosen backend's services, made on the first call (after the QApplication) and kept
    /// for the life of the process. Prints the backend's start line then.
    static const Services& services();
};
