#include "Key.h"

#include <QHash>

namespace HotKeys {
namespace {

struct KeyInfo
{
    Key key;
    const char16_t* name;
    std::uint32_t code;
    const char16_t* description;
    /// Further accepted names besides the case name, at most four.
    std::array<const char16_t*, 4> names;
};

// clang-format off
const std::array<KeyInfo, keyCount> keyTable = {{
    {Key::a, u"a", 0x00, u"A", {}},
    {Key::b, u"b", 0x0B, u"B", {}},
    {Key::c, u"c", 0x08, u"C", {}},
    {Key::d, u"d", 0x02, u"D", {}},
    {Key::e, u"e", 0x0E, u"E", {}},
    {Key::f, u"f", 0x03, u"F", {}},
    {Key::g, u"g", 0x05, u"G", {}},
    {Key::h, u"h", 0x04, u"H", {}},
    {Key::i, u"i", 0x22, u"I", {}},
    {Key::j, u"j", 0x26, u"J", {}},
    {Key::k, u"k", 0x28, u"K", {}},
    {Key::l, u"l", 0x25, u"L", {}},
    {Key::m, u"m", 0x2E, u"M", {}},
    {Key::n, u"n", 0x2D, u"N", {}},
    {Key::o, u"o", 0x1F, u"O", {}},
    {Key::p, u"p", 0x23, u"P", {}},
    {Key::q, u"q", 0x0C, u"Q", {}},
    {Key::r, u"r", 0x0F, u"R", {}},
    {Key::s, u"s", 0x01, u"S", {}},
    {Key::t, u"t", 0x11, u"T", {}},
    {Key::u, u"u", 0x20, u"U", {}},
    {Key::v, u"v", 0x09, u"V", {}},
    {Key::w, u"w", 0x0D, u"W", {}},
    {Key::x, u"x", 0x07, u"X", {}},
    {Key::y, u"y", 0x10, u"Y", {}},
    {Key::z, u"z", 0x06, u"Z", {}},
    {Key::zero, u"zero", 0x1D, u"0", {u"0"}},
    {Key::one, u"one", 0x12, u"1", {u"1"}},
    {Key::two, u"two", 0x13, u"2", {u"2"}},
    {Key::three, u"three", 0x14, u"3", {u"3"}},
    {Key::four, u"four", 0x15, u"4", {u"4"}},
    {Key::five, u"five", 0x17, u"5", {u"5"}},
    {Key::six, u"six", 0x16, u"6", {u"6"}},
    {Key::seven, u"seven", 0x1A, u"7", {u"7"}},
    {Key::eight, u"eight", 0x1C, u"8", {u"8"}},
    {Key::nine, u"nine", 0x19, u"9", {u"9"}},
    {Key::period, u"period", 0x2F, u".", {u"."}},
    {Key::quote, u"quote", 0x27, u"\"", {u"\""}},
    {Key::rightBracket, u"rightBracket", 0x1E, u"]", {u"]"}},
    {Key::semicolon, u"semicolon", 0x29, u";", {u";"}},
    {Key::slash, u"slash", 0x2C, u"/", {u"/"}},
    {Key::backslash, u"backslash", 0x2A, u"\\", {u"\\"}},
    {Key::comma, u"comma", 0x2B, u",", {u","}},
    {Key::equal, u"equal", 0x18, u"=", {u"="}},
    {Key::grave, u"grave", 0x32, u"`", {u"`", u"\u02CB", u"\uFF40"}},
    {Key::leftBracket, u"leftBracket", 0x21, u"[", {u"["}},
    {Key::minus, u"minus", 0x1B, u"-", {u"-"}},
    {Key::section, u"section", 0x0A, u"\u00A7", {u"\u00A7"}},
    {Key::space, u"space", 0x31, u"\u2423", {u" ", u"\u2423"}},
    {Key::tab, u"tab", 0x30, u"\u21E5", {u"\t", u"\u21E5"}},
    {Key::return_, u"return", 0x24, u"\u21A9\uFE0E", {u"\r", u"\u21A9\uFE0E", u"\u23CE", u"\u2B90"}},
    {Key::command, u"command", 0x37, u"\u2318", {u"\u2318", u"\uF8FF"}},
    {Key::rightCommand, u"rightCommand", 0x36, u"\u2318", {}},
    {Key::option, u"option", 0x3A, u"\u2325", {u"\u2325"}},
    {Key::rightOption, u"rightOption", 0x3D, u"\u2325", {}},
    {Key::control, u"control", 0x3B, u"\u2303", {u"\u2303"}},
    {Key::rightControl, u"rightControl", 0x3E, u"\u2303", {}},
    {Key::shift, u"shift", 0x38, u"\u21E7", {u"\u21E7"}},
    {Key::rightShift, u"rightShift", 0x3C, u"\u21E7", {}},
    {Key::function, u"function", 0x3F, u"fn", {u"fn"}},
    {Key::capsLock, u"capsLock", 0x39, u"\u21EA", {u"\u21EA"}},
    {Key::pageUp, u"pageUp", 0x74, u"\u21DE", {u"\u21DE"}},
    {Key::pageDown, u"pageDown", 0x79, u"\u21DF", {u"\u21DF"}},
    {Key::home, u"home", 0x73, u"\u2196", {u"\u2196"}},
    {Key::end, u"end", 0x77, u"\u2198", {u"\u2198"}},
    {Key::upArrow, u"upArrow", 0x7E, u"\u2191", {u"\u2191"}},
    {Key::rightArrow, u"rightArrow", 0x7C, u"\u2192", {u"\u2192"}},
    {Key::downArrow, u"downArrow", 0x7D, u"\u2193", {u"\u2193"}},
    {Key::leftArrow, u"leftArrow", 0x7B, u"\u2190", {u"\u2190"}},
    {Key::f1, u"f1", 0x7A, u"\uF860F1", {u"\uF860F1"}},
    {Key::f2, u"f2", 0x78, u"\uF860F2", {u"\uF860F2"}},
    {Key::f3, u"f3", 0x63, u"\uF860F3", {u"\uF860F3"}},
    {Key::f4, u"f4", 0x76, u"\uF860F4", {u"\uF860F4"}},
    {Key::f5, u"f5", 0x60, u"\uF860F5", {u"\uF860F5"}},
    {Key::f6, u"f6", 0x61, u"\uF860F6", {u"\uF860F6"}},
    {Key::f7, u"f7", 0x62, u"\uF860F7", {u"\uF860F7"}},
    {Key::f8, u"f8", 0x64, u"\uF860F8", {u"\uF860F8"}},
    {Key::f9, u"f9", 0x65, u"\uF860F9", {u"\uF860F9"}},
    {Key::f10, u"f10", 0x6D, u"\uF861F10", {u"\uF861F10"}},
    {Key::f11, u"f11", 0x67, u"\uF861F11", {u"\uF861F11"}},
    {Key::f12, u"f12", 0x6F, u"\uF861F12", {u"\uF861F12"}},
    {Key::f13, u"f13", 0x69, u"\uF861F13", {u"\uF861F13"}},
    {Key::f14, u"f14", 0x6B, u"\uF861F14", {u"\uF861F14"}},
    {Key::f15, u"f15", 0x71, u"\uF861F15", {u"\uF861F15"}},
    {Key::f16, u"f16", 0x6A, u"\uF861F16", {u"\uF861F16"}},
    {Key::f17, u"f17", 0x40, u"\uF861F17", {u"\uF861F17"}},
    {Key::f18, u"f18", 0x4F, u"\uF861F18", {u"\uF861F18"}},
    {Key::f19, u"f19", 0x50, u"\uF861F19", {u"\uF861F19"}},
    {Key::f20, u"f20", 0x5A, u"\uF861F20", {u"\uF861F20"}},
    {Key::keypad0, u"keypad0", 0x52, u"0", {}},
    {Key::keypad1, u"keypad1", 0x53, u"1", {}},
    {Key::keypad2, u"keypad2", 0x54, u"2", {}},
    {Key::keypad3, u"keypad3", 0x55, u"3", {}},
    {Key::keypad4, u"keypad4", 0x56, u"4", {}},
    {Key::keypad5, u"keypad5", 0x57, u"5", {}},
    {Key::keypad6, u"keypad6", 0x58, u"6", {}},
    {Key::keypad7, u"keypad7", 0x59, u"7", {}},
    {Key::keypad8, u"keypad8", 0x5B, u"8", {}},
    {Key::keypad9, u"keypad9", 0x5C, u"9", {}},
    {Key::keypadClear, u"keypadClear", 0x47, u"\u2327", {u"\u2327"}},
    {Key::keypadDecimal, u"keypadDecimal", 0x41, u".", {}},
    {Key::keypadDivide, u"keypadDivide", 0x4B, u"/", {}},
    {Key::keypadEnter, u"keypadEnter", 0x4C, u"\u21A9\uFE0E", {}},
    {Key::keypadEquals, u"keypadEquals", 0x51, u"=", {}},
    {Key::keypadMinus, u"keypadMinus", 0x4E, u"-", {}},
    {Key::keypadMultiply, u"keypadMultiply", 0x43, u"\U0001D5D1", {}},
    {Key::keypadPlus, u"keypadPlus", 0x45, u"+", {}},
    {Key::escape, u"escape", 0x35, u"\u238B", {u"\u238B"}},
    {Key::delete_, u"delete", 0x33, u"\u232B", {u"\u232B"}},
    {Key::forwardDelete, u"forwardDelete", 0x75, u"\u2326", {u"\u2326"}},
    {Key::help, u"help", 0x72, u"?\u20DD", {u"?\u20DD"}},
    {Key::volumeUp, u"volumeUp", 0x48, u"\U0001F50A", {u"\U0001F50A"}},
    {Key::volumeDown, u"volumeDown", 0x49, u"\U0001F509", {u"\U0001F509"}},
    {Key::mute, u"mute", 0x4A, u"\U0001F507", {u"\U0001F507"}},
}};
// clang-format on

const KeyInfo& info(Key key)
{
    return keyTable[static_cast<std::size_t>(key)];
}

// Built once: lower-cased accepted name -> key, and code -> key.
struct Lookup
{
    QHash<QString, Key> byName;
    QHash<std::uint32_t, Key> byCode;

    Lookup()
    {
        for (const KeyInfo& entry : keyTable) {
            byCode.insert(entry.code, entry.key);
            for (const QString& name : acceptedNames(entry.key)) {
                byName.insert(name.toLower(), entry.key);
            }
        }
    }
};

const Lookup& lookup()
{
    static const Lookup table;
    return table;
}

} // namespace

const std::array<Key, keyCount>& allKeys()
{
    static const std::array<Key, keyCount> keys = [] {
        std::array<Key, keyCount> result{};
        for (int index = 0; index < keyCount; ++index) {
            result[index] = static_cast<Key>(index);
        }
        return result;
    }();
    return keys;
}

std::optional<Key> keyFromString(const QString& text)
{
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const auto& byName = lookup().byName;
    const auto found = byName.constFind(text.toLower());
    if (found == byName.constEnd()) {
        return std::nullopt;
    }
    return found.value();
}

std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code)
{
    const auto& byCode = lookup().byCode;
    const auto found = byCode.constFind(code);
    if (found == byCode.constEnd()) {
        return std::nullopt;
    }
    return found.value();
}

std::uint32_t carbonKeyCode(Key key)
{
    return info(key).code;
}

QString description(Key key)
{
    return QString::fromUtf16(info(key).description);
}

QString caseName(Key key)
{
    return QString::fromUtf16(info(key).name);
}

QStringList acceptedNames(Key key)
{
    const KeyInfo& entry = info(key);
    QStringList names{QString::fromUtf16(entry.name)};
    for (const char16_t* name : entry.names) {
        if (name != nullptr) {
            names.append(QString::fromUtf16(name));
        }
    }
    return names;
}

} // namespace HotKeys
