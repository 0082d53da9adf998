#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QString>
#include <QVariantMap>

#include "Key.h"
#include "Modifiers.h"

class QAction;
class QMenu;

/// A key plus modifiers, stored as a virtual key code and a Carbon modifier mask. A plain value.
struct KeyCombo
{
    std::uint32_t carbonKeyCode = 0;
    std::uint32_t carbonModifiers = 0;

    constexpr KeyCombo() = default;
    constexpr KeyCombo(std::uint32_t keyCode, std::uint32_t modifiers)
        : carbonKeyCode(keyCode), carbonModifiers(modifiers)
    {
    }
    /// The key's code and the Carbon mask of `modifiers`.
    KeyCombo(Key key, ModifierFlags modifiers);

    /// The {"keyCode", "modifiers"} form; none unless both are integers in the unsigned 32-bit range.
    static std::optional<KeyCombo> fromDictionary(const QVariantMap& dictionary);

    /// The key of `carbonKeyCode`, or none when the code belongs to no key.
    std::optional<Key> key() const;
    /// Sets the code of `key`; none stores code 0.
    void setKey(std::optional<Key> key);

    ModifierFlags modifiers() const { return ModifierFlags::fromCarbonFlags(carbonModifiers); }
    void setModifiers(ModifierFlags modifiers) { carbonModifiers = modifiers.carbonFlags(); }

    /// The modifier symbols followed by the key's description ("⌃⌘V"); the symbols alone when
    /// the code belongs to no key.
    QString description() const;

    QVariantMap dictionary() const;

    friend constexpr bool operator==(const KeyCombo&, const KeyCombo&) = default;

    /// The 46 combinations applications conventionally use, in a fixed order.
    static std::vector<KeyCombo> standardKeyCombos();

    /// The shortcuts of a menu's items, depth first through submenus, in item order. Items whose
    /// shortcut names no `Key` are skipped. Qt's Ctrl, Alt, Shift and Meta are read as ⌃ ⌥ ⇧ ⌘.
    static std::vector<KeyCombo> keyCombos(const QMenu* menu);

    /// The shortcuts of the application's main menu bar: the menu bar of the first top-level
    /// window that has one. Empty when there is none.
    static std::vector<KeyCombo> mainMenuKeyCombos();

    /// The system's own reserved combinations. X11 keeps no list of what other clients have
    /// grabbed, so on X11 this is always empty; a taken combination only shows when its
    /// registration is refused (see HotKeysController).
    static std::vector<KeyCombo> systemKeyCombos();
};
