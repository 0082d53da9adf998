#include "Modifiers.h"

#include <array>

namespace {

struct ModifierPair
{
    std::uint32_t eventFlag;
    std::uint32_t carbonBit;
    char16_t symbol;
    Qt::KeyboardModifier qtModifier;
};

// In description order.
constexpr std::array<ModifierPair, 4> modifierTable = {{
    {ModifierFlags::control, CarbonModifier::controlKey, u'\u2303', Qt::ControlModifier},
    {ModifierFlags::option, CarbonModifier::optionKey, u'\u2325', Qt::AltModifier},
    {ModifierFlags::shift, CarbonModifier::shiftKey, u'\u21E7', Qt::ShiftModifier},
    {ModifierFlags::command, CarbonModifier::cmdKey, u'\u2318', Qt::MetaModifier},
}};

} // namespace

ModifierFlags ModifierFlags::fromCarbonFlags(std::uint32_t carbonMask)
{
    ModifierFlags flags;
    for (const ModifierPair& pair : modifierTable) {
        if (carbonMask & pair.carbonBit) {
            flags.rawValue |= pair.eventFlag;
        }
    }
    return flags;
}

ModifierFlags ModifierFlags::fromQt(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags;
    for (const ModifierPair& pair : modifierTable) {
        if (modifiers.testFlag(pair.qtModifier)) {
            flags.rawValue |= pair.eventFlag;
        }
    }
    return flags;
}

ModifierFlags ModifierFlags::fromSymbols(QStringView text)
{
    ModifierFlags flags;
    for (const ModifierPair& pair : modifierTable) {
        if (text.contains(QChar(pair.symbol))) {
            flags.rawValue |= pair.eventFlag;
        }
    }
    return flags;
}

std::uint32_t ModifierFlags::carbonFlags() const
{
    std::uint32_t mask = 0;
    for (const ModifierPair& pair : modifierTable) {
        if (rawValue & pair.eventFlag) {
            mask |= pair.carbonBit;
        }
    }
    return mask;
}

QString ModifierFlags::description() const
{
    QString text;
    for (const ModifierPair& pair : modifierTable) {
        if (rawValue & pair.eventFlag) {
            text.append(QChar(pair.symbol));
        }
    }
    return text;
}
