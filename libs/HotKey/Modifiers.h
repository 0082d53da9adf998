#pragma once

#include <cstdint>

#include <QString>
#include <QStringView>
#include <QtCore/qnamespace.h>

/// Modifier keys as event flags (the bit values of the platform's key events). A value may carry
/// other bits (caps lock, function, numeric pad, ...); only control, option, shift and command
/// take part in conversions and descriptions. On X11, command is Super and option is Alt.
struct ModifierFlags
{
    static constexpr std::uint32_t shift = 0x20000;
    static constexpr std::uint32_t control = 0x40000;
    static constexpr std::uint32_t option = 0x80000;
    static constexpr std::uint32_t command = 0x100000;

    std::uint32_t rawValue = 0;

    constexpr ModifierFlags() = default;
    constexpr explicit ModifierFlags(std::uint32_t raw) : rawValue(raw) {}

    /// The event flags of a Carbon modifier mask; every other bit of the mask is dropped.
    static ModifierFlags fromCarbonFlags(std::uint32_t carbonMask);
    /// The flags of Qt's modifiers: Control, Alt (option), Shift and Meta (command, Super on X11).
    static ModifierFlags fromQt(Qt::KeyboardModifiers modifiers);
    /// The flags whose symbols (⌃⌥⇧⌘) appear anywhere in `text`.
    static ModifierFlags fromSymbols(QStringView text);

    /// The Carbon modifier mask of these flags; every other bit is dropped.
    std::uint32_t carbonFlags() const;

    /// The symbols of the held modifiers in the order ⌃⌥⇧⌘, without separators.
    QString description() const;

    constexpr bool contains(std::uint32_t flag) const { return (rawValue & flag) == flag; }
    friend constexpr bool operator==(ModifierFlags, ModifierFlags) = default;
    friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b)
    {
        return ModifierFlags(a.rawValue | b.rawValue);
    }
};

/// Carbon modifier mask bits, the form `KeyCombo` stores.
namespace CarbonModifier {
inline constexpr std::uint32_t cmdKey = 0x0100;
inline constexpr std::uint32_t shiftKey = 0x0200;
inline constexpr std::uint32_t optionKey = 0x0800;
inline constexpr std::uint32_t controlKey = 0x1000;
} // namespace CarbonModifier
