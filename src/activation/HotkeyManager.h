#pragma once

#include <memory>
#include <optional>

#include <QString>

#include "HotKey/Key.h"
#include "HotKey/Modifiers.h"
#include "platform/GlobalShortcutService.h"

class PanelPresenter;

/// The one global keyboard shortcut that toggles the history panel. The shortcut is stored as
/// text: modifier symbols in the order ⌃⌥⇧⌘ followed by the upper-case key ("⌃⌘V").
/// One shared instance for the process; GUI thread only.
class HotkeyManager
{
public:
    struct Shortcut
    {
        std::optional<Key> key;
        ModifierFlags modifiers;
    };

    static HotkeyManager& shared();

    /// The panel the shortcut toggles; not owned. Presses do nothing else while none is set.
    void setPresenter(PanelPresenter* presenter) { m_presenter = presenter; }

    /// The service that binds the shortcut (not owned; none: nothing is bound). Its binding is
    /// released at quit.
    void setShortcutService(GlobalShortcutService* service);

    /// Replaces the registered shortcut by the one `text` describes. A text without a usable key
    /// leaves no shortcut registered and prints a line saying so.
    void registerShortcut(const QString& text);

    /// A modifier is on when its symbol occurs anywhere; the key is the last A–Z or 0–9
    /// character. No such character: no key and no modifiers.
    static Shortcut parseShortcut(const QString& text);

    /// The parsed shortcut as a service binds it; none without a key.
    static std::optional<GlobalShortcutService::Combination> combination(const QString& text);

private:
    HotkeyManager() = default;
    void pressed(const QString& text);

    GlobalShortcutService* m_service = nullptr;
    PanelPresenter* m_presenter = nullptr;
};
