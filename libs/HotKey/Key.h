#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>
#include <QStringList>

/// The keyboard keys a hot key can be made of. The declaration order is fixed; nothing stores
/// the ordinal. Each key's identity is its virtual key code (`carbonKeyCode`), which the
/// platform backend maps to the keyboard in use. `return` and `delete` carry a trailing underscore
/// because they are C++ keywords.
// clang-format off
enum class Key : std::uint8_t {
    a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z,
    zero, one, two, three, four, five, six, seven, eight, nine,
    period, quote, rightBracket, semicolon, slash, backslash, comma, equal, grave, leftBracket, minus,
    section, space, tab, return_,
    command, rightCommand, option, rightOption, control, rightControl, shift, rightShift, function,
    capsLock, pageUp, pageDown, home, end, upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus, keypadMultiply,
    keypadPlus,
    escape, delete_, forwardDelete, help, volumeUp, volumeDown, mute,
};
// clang-format on

namespace HotKeys {

inline constexpr int keyCount = 114;

/// Every key, in declaration order.
const std::array<Key, keyCount>& allKeys();

/// The key whose accepted name equals `text` lower-cased (no trimming); none for the empty
/// text and for unknown names.
std::optional<Key> keyFromString(const QString& text);

/// The key with this virtual key code, or none for codes that belong to no key.
std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code);

std::uint32_t carbonKeyCode(Key key);

/// The display string used in shortcut labels ("V", "⌘", "\u{F860}F1", ...).
QString description(Key key);

/// The key's own name as written in code ("a", "rightBracket", "return", "delete", ...).
QString caseName(Key key);

/// The texts `keyFromString` maps to this key: the case name first, then the further names.
QStringList acceptedNames(Key key);

} // namespace HotKeys
