#pragma once

#include <functional>
#include <memory>

#include "platform/PlatformServices.h"

class CapabilityService;
class GlobalMouseMonitor;
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
