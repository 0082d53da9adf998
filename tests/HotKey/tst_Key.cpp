#include <QTest>

#include "HotKey/Key.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<Key>)

namespace {

// The key names, codes and descriptions in declaration order, written out independently of the
// module's own table.
struct ExpectedKey
{
    const char* name;
    std::uint32_t code;
    const char16_t* description;
};

// clang-format off
const ExpectedKey expectedKeys[] = {
    {"a", 0x00, u"A"}, {"b", 0x0B, u"B"}, {"c", 0x08, u"C"}, {"d", 0x02, u"D"}, {"e", 0x0E, u"E"},
    {"f", 0x03, u"F"}, {"g", 0x05, u"G"}, {"h", 0x04, u"H"}, {"i", 0x22, u"I"}, {"j", 0x26, u"J"},
    {"k", 0x28, u"K"}, {"l", 0x25, u"L"}, {"m", 0x2E, u"M"}, {"n", 0x2D, u"N"}, {"o", 0x1F, u"O"},
    {"p", 0x23, u"P"}, {"q", 0x0C, u"Q"}, {"r", 0x0F, u"R"}, {"s", 0x01, u"S"}, {"t", 0x11, u"T"},
    {"u", 0x20, u"U"}, {"v", 0x09, u"V"}, {"w", 0x0D, u"W"}, {"x", 0x07, u"X"}, {"y", 0x10, u"Y"},
    {"z", 0x06, u"Z"},
    {"zero", 0x1D, u"0"}, {"one", 0x12, u"1"}, {"two", 0x13, u"2"}, {"three", 0x14, u"3"},
    {"four", 0x15, u"4"}, {"five", 0x17, u"5"}, {"six", 0x16, u"6"}, {"seven", 0x1A, u"7"},
    {"eight", 0x1C, u"8"}, {"nine", 0x19, u"9"},
    {"period", 0x2F, u"."}, {"quote", 0x27, u"\""}, {"rightBracket", 0x1E, u"]"}, {"semicolon", 0x29, u";"},
    {"slash", 0x2C, u"/"}, {"backslash", 0x2A, u"\\"}, {"comma", 0x2B, u","}, {"equal", 0x18, u"="},
    {"grave", 0x32, u"`"}, {"leftBracket", 0x21, u"["}, {"minus", 0x1B, u"-"}, {"section", 0x0A, u"§"},
    {"space", 0x31, u"␣"}, {"tab", 0x30, u"⇥"}, {"return", 0x24, u"↩\uFE0E"},
    {"command", 0x37, u"⌘"}, {"rightCommand", 0x36, u"⌘"}, {"option", 0x3A, u"⌥"},
    {"rightOption", 0x3D, u"⌥"}, {"control", 0x3B, u"⌃"}, {"rightControl", 0x3E, u"⌃"},
    {"shift", 0x38, u"⇧"}, {"rightShift", 0x3C, u"⇧"}, {"function", 0x3F, u"fn"}, {"capsLock", 0x39, u"⇪"},
    {"pageUp", 0x74, u"⇞"}, {"pageDown", 0x79, u"⇟"}, {"home", 0x73, u"↖"}, {"end", 0x77, u"↘"},
    {"upArrow", 0x7E, u"↑"}, {"rightArrow", 0x7C, u"→"}, {"downArrow", 0x7D, u"↓"}, {"leftArrow", 0x7B, u"←"},
    {"f1", 0x7A, u"\uF860F1"}, {"f2", 0x78, u"\uF860F2"}, {"f3", 0x63, u"\uF860F3"}, {"f4", 0x76, u"\uF860F4"},
    {"f5", 0x60, u"\uF860F5"}, {"f6", 0x61, u"\uF860F6"}, {"f7", 0x62, u"\uF860F7"}, {"f8", 0x64, u"\uF860F8"},
    {"f9", 0x65, u"\uF860F9"}, {"f10", 0x6D, u"\uF861F10"}, {"f11", 0x67, u"\uF861F11"},
    {"f12", 0x6F, u"\uF861F12"}, {"f13", 0x69, u"\uF861F13"}, {"f14", 0x6B, u"\uF861F14"},
    {"f15", 0x71, u"\uF861F15"}, {"f16", 0x6A, u"\uF861F16"}, {"f17", 0x40, u"\uF861F17"},
    {"f18", 0x4F, u"\uF861F18"}, {"f19", 0x50, u"\uF861F19"}, {"f20", 0x5A, u"\uF861F20"},
    {"keypad0", 0x52, u"0"}, {"keypad1", 0x53, u"1"}, {"keypad2", 0x54, u"2"}, {"keypad3", 0x55, u"3"},
    {"keypad4", 0x56, u"4"}, {"keypad5", 0x57, u"5"}, {"keypad6", 0x58, u"6"}, {"keypad7", 0x59, u"7"},
    {"keypad8", 0x5B, u"8"}, {"keypad9", 0x5C, u"9"},
    {"keypadClear", 0x47, u"⌧"}, {"keypadDecimal", 0x41, u"."}, {"keypadDivide", 0x4B, u"/"},
    {"keypadEnter", 0x4C, u"↩\uFE0E"}, {"keypadEquals", 0x51, u"="}, {"keypadMinus", 0x4E, u"-"},
    {"keypadMultiply", 0x43, u"\U0001D5D1"}, {"keypadPlus", 0x45, u"+"},
    {"escape", 0x35, u"⎋"}, {"delete", 0x33, u"⌫"}, {"forwardDelete", 0x75, u"⌦"}, {"help", 0x72, u"?\u20DD"},
    {"volumeUp", 0x48, u"🔊"}, {"volumeDown", 0x49, u"🔉"}, {"mute", 0x4A, u"🔇"},
};
// clang-format on

} // namespace

class KeyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyKeyRoundTrips_data()
    {
        QTest::addColumn<int>("ordinal");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("description");
        QCOMPARE(int(std::size(expectedKeys)), HotKeys::keyCount);
        for (int index = 0; index < HotKeys::keyCount; ++index) {
            const ExpectedKey& key = expectedKeys[index];
            QTest::newRow(key.name) << index << QString::fromLatin1(key.name) << uint(key.code)
                                    << QString::fromUtf16(key.description);
        }
    }

    // name -> key -> code -> key, and the description, for all 114 keys in declaration order.
    void everyKeyRoundTrips()
    {
        QFETCH(int, ordinal);
        QFETCH(QString, name);
        QFETCH(uint, code);
        QFETCH(QString, description);

        const Key key = HotKeys::allKeys()[ordinal];
        QCOMPARE(HotKeys::caseName(key), name);
        QCOMPARE(HotKeys::keyFromString(name), key);
        QCOMPARE(HotKeys::keyFromString(name.toUpper()), key);
        QCOMPARE(HotKeys::carbonKeyCode(key), code);
        QCOMPARE(HotKeys::keyFromCarbonKeyCode(code), key);
        QCOMPARE(HotKeys::description(key), description);
        // Every accepted name leads back to this key: no name belongs to two keys.
        for (const QString& accepted : HotKeys::acceptedNames(key)) {
            QCOMPARE(HotKeys::keyFromString(accepted), key);
        }
    }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Key>>("expected");
        const auto row = [](const char* tag, const QString& text, std::optional<Key> key) {
            QTest::newRow(tag) << text << key;
        };
        // Names in any case are covered key by key above; these are the other spellings.
        row("V and a space is not trimmed", u"V "_s, std::nullopt);
        row("empty", QString(), std::nullopt);
        row("digit is the main row", u"1"_s, Key::one);
        row("equal sign is the main key", u"="_s, Key::equal);
        row("minus sign is the main key", u"-"_s, Key::minus);
        row("command symbol is the left key", u"⌘"_s, Key::command);
        row("apple logo", u"\uF8FF"_s, Key::command);
        row("shift symbol is the left key", u"⇧"_s, Key::shift);
        row("carriage return", u"\r"_s, Key::return_);
        row("return symbol is the main key", u"↩\uFE0E"_s, Key::return_);
        row("return symbol 23CE", u"⏎"_s, Key::return_);
        row("space character", u" "_s, Key::space);
        row("tab character", u"\t"_s, Key::tab);
        row("grave modifier letter", u"\u02CB"_s, Key::grave);
        row("fullwidth grave", u"\uFF40"_s, Key::grave);
        row("F10 by description", u"\uF861F10"_s, Key::f10);
        row("help symbol", u"?\u20DD"_s, Key::help);
        row("keypad symbols are not names", u"\U0001D5D1"_s, std::nullopt);
        row("two letters", u"ab"_s, std::nullopt);
        row("emoji", u"😀"_s, std::nullopt);
        row("speaker", u"🔊"_s, Key::volumeUp);
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Key>, expected);
        QCOMPARE(HotKeys::keyFromString(text), expected);
    }

    void codesWithoutKey()
    {
        for (const uint code : {0x34u, 0x42u, 0x44u, 0x46u, 0x4Du, 0x5Du, 0x5Eu, 0x5Fu, 0x66u, 0x68u, 0x6Cu,
                                0x6Eu, 0x70u, 0x7Fu, 0x80u, 0xFFu, 0x10000u, 0xFFFFFFFFu})
            QVERIFY2(!HotKeys::keyFromCarbonKeyCode(code), qPrintable(QString::number(code, 16)));
    }
};

OVELIN_TEST_GUILESS_MAIN(KeyTest)
#include "tst_Key.moc"
