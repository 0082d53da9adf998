#pragma once

class ClipboardService;
class FrontmostApplicationService;
class KeyEventPoster;
class SoundPlayer;

/// The operating-system services that capturing and pasting are built on. The pointers are not
/// owned: the backend that hands them out keeps them alive for the life of the process.
struct PlatformServices
{
    ClipboardService* clipboard = nullptr;
    FrontmostApplicationService* frontmostApplication = nullptr;
    KeyEventPoster* keyEventPoster = nullptr;
    SoundPlayer* soundPlayer = nullptr;
};
