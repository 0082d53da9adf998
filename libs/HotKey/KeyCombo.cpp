#include "KeyCombo.h"

#include <limits>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMetaType>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

std::optional<std::uint32_t> unsignedField(const QVariantMap& dictionary, const QString& name)
{
    const auto found = dictionary.constFind(name);
    if (found == dictionary.constEnd()) {
        return std::nullopt;
    }
    const QVariant& value = found.value();
    constexpr qint64 maximum = std::numeric_limits<std::uint32_t>::max();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar: {
        const qint64 number = value.toLongLong();
        if (number < 0 || number > maximum) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(number);
    }
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const quint64 number = value.toULongLong();
        if (number > static_cast<quint64>(maximum)) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(number);
    }
    default:
        // Text, booleans, floating point and everything else are not integers here.
        return std::nullopt;
    }
}

// The Key a Qt key code stands for: printable keys by their character, the rest from a table.
std::optional<Key> keyFromQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        switch (qtKey) {
        case Qt::Key_0:
            return Key::keypad0;
        case Qt::Key_1:
            return Key::keypad1;
        case Qt::Key_2:
            return Key::keypad2;
        case Qt::Key_3:
            return Key::keypad3;
        case Qt::Key_4:
            return Key::keypad4;
        case Qt::Key_5:
            return Key::keypad5;
        case Qt::Key_6:
            return Key::keypad6;
        case Qt::Key_7:
            return Key::keypad7;
        case Qt::Key_8:
            return Key::keypad8;
        case Qt::Key_9:
            return Key::keypad9;
        case Qt::Key_Period:
            return Key::keypadDecimal;
        case Qt::Key_Slash:
            return Key::keypadDivide;
        case Qt::Key_Enter:
            return Key::keypadEnter;
        case Qt::Key_Equal:
            return Key::keypadEquals;
        case Qt::Key_Minus:
            return Key::keypadMinus;
        case Qt::Key_Asterisk:
            return Key::keypadMultiply;
        case Qt::Key_Plus:
            return Key::keypadPlus;
        case Qt::Key_Clear:
            return Key::keypadClear;
        default:
            break;
        }
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20) {
        return static_cast<Key>(static_cast<int>(Key::f1) + (qtKey - Qt::Key_F1));
    }
    switch (qtKey) {
    case Qt::Key_Return:
        return Key::return_;
    case Qt::Key_Enter:
        return Key::keypadEnter;
    case Qt::Key_Tab:
        return Key::tab;
    case Qt::Key_Escape:
        return Key::escape;
    case Qt::Key_Backspace:
        return Key::delete_;
    case Qt::Key_Delete:
        return Key::forwardDelete;
    case Qt::Key_Home:
        return Key::home;
    case Qt::Key_End:
        return Key::end;
    case Qt::Key_PageUp:
        return Key::pageUp;
    case Qt::Key_PageDown:
        return Key::pageDown;
    case Qt::Key_Up:
        return Key::upArrow;
    case Qt::Key_Down:
        return Key::downArrow;
    case Qt::Key_Left:
        return Key::leftArrow;
    case Qt::Key_Right:
        return Key::rightArrow;
    case Qt::Key_Help:
        return Key::help;
    case Qt::Key_CapsLock:
        return Key::capsLock;
    case Qt::Key_Clear:
        return Key::keypadClear;
    case Qt::Key_VolumeUp:
        return Key::volumeUp;
    case Qt::Key_VolumeDown:
        return Key::volumeDown;
    case Qt::Key_VolumeMute:
        return Key::mute;
    default:
        break;
    }
    if (qtKey > 0x20 && qtKey < 0x7F) {
        return HotKeys::keyFromString(QString(QChar(qtKey)));
    }
    if (qtKey == Qt::Key_Space) {
        return Key::space;
    }
    return std::nullopt;
}

std::uint32_t carbonMaskOf(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t mask = 0;
    if (modifiers & Qt::ControlModifier) {
        mask |= CarbonModifier::controlKey;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= CarbonModifier::optionKey;
    }
    if (modifiers & Qt::ShiftModifier) {
        mask |= CarbonModifier::shiftKey;
    }
    if (modifiers & Qt::MetaModifier) {
        mask |= CarbonModifier::cmdKey;
    }
    return mask;
}

void collectKeyCombos(const QList<QAction*>& actions, std::vector<KeyCombo>& result)
{
    for (const QAction* action : actions) {
        const QKeySequence shortcut = action->shortcut();
        if (!shortcut.isEmpty()) {
            const QKeyCombination combination = shortcut[0];
            const auto key =
                keyFromQtKey(combination.key(), combination.keyboardModifiers().testFlag(Qt::KeypadModifier));
            if (key) {
                result.emplace_back(HotKeys::carbonKeyCode(*key),
                                    carbonMaskOf(combination.keyboardModifiers()));
            }
        }
        if (const QMenu* submenu = action->menu()) {
            collectKeyCombos(submenu->actions(), result);
        }
    }
}

} // namespace

KeyCombo::KeyCombo(Key key, ModifierFlags modifiers)
    : carbonKeyCode(HotKeys::carbonKeyCode(key)), carbonModifiers(modifiers.carbonFlags())
{
}

std::optional<KeyCombo> KeyCombo::fromDictionary(const QVariantMap& dictionary)
{
    const auto keyCode = unsignedField(dictionary, u"keyCode"_s);
    const auto modifiers = unsignedField(dictionary, u"modifiers"_s);
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    return KeyCombo(*keyCode, *modifiers);
}

std::optional<Key> KeyCombo::key() const
{
    return HotKeys::keyFromCarbonKeyCode(carbonKeyCode);
}

void KeyCombo::setKey(std::optional<Key> key)
{
    carbonKeyCode = key ? HotKeys::carbonKeyCode(*key) : 0;
}

QString KeyCombo::description() const
{
    QString text = modifiers().description();
    if (const auto k = key()) {
        text.append(HotKeys::description(*k));
    }
    return text;
}

QVariantMap KeyCombo::dictionary() const
{
    // Stored as 64-bit so that every unsigned 32-bit value survives the round trip.
    return {{u"keyCode"_s, static_cast<qint64>(carbonKeyCode)},
            {u"modifiers"_s, static_cast<qint64>(carbonModifiers)}};
}

std::vector<KeyCombo> KeyCombo::standardKeyCombos()
{
    using namespace CarbonModifier;
    const auto combo = [](Key key, std::uint32_t mask) {
        return KeyCombo(HotKeys::carbonKeyCode(key), mask);
    };
    return {
        combo(Key::comma, cmdKey),
        combo(Key::h, cmdKey),
        combo(Key::h, cmdKey | optionKey),
        combo(Key::q, cmdKey),
        combo(Key::n, cmdKey),
        combo(Key::o, cmdKey),
        combo(Key::w, cmdKey),
        combo(Key::s, cmdKey),
        combo(Key::s, cmdKey | shiftKey),
        combo(Key::r, cmdKey),
        combo(Key::p, cmdKey | shiftKey),
        combo(Key::p, cmdKey),
        combo(Key::z, cmdKey),
        combo(Key::z, cmdKey | shiftKey),
        combo(Key::x, cmdKey),
        combo(Key::c, cmdKey),
        combo(Key::v, cmdKey),
        combo(Key::v, cmdKey | optionKey | shiftKey),
        combo(Key::a, cmdKey),
        combo(Key::f, cmdKey),
        combo(Key::f, cmdKey | optionKey),
        combo(Key::g, cmdKey),
        combo(Key::g, cmdKey | shiftKey),
        combo(Key::e, cmdKey),
        combo(Key::j, cmdKey),
        combo(Key::semicolon, cmdKey | shiftKey),
        combo(Key::semicolon, cmdKey),
        combo(Key::t, cmdKey),
        combo(Key::b, cmdKey),
        combo(Key::i, cmdKey),
        combo(Key::u, cmdKey),
        combo(Key::equal, cmdKey | shiftKey),
        combo(Key::minus, cmdKey),
        combo(Key::c, cmdKey | shiftKey),
        combo(Key::c, cmdKey | optionKey),
        combo(Key::v, cmdKey | optionKey),
        combo(Key::leftBracket, cmdKey | shiftKey),
        combo(Key::backslash, cmdKey | shiftKey),
        combo(Key::rightBracket, cmdKey | shiftKey),
        combo(Key::c, cmdKey | controlKey),
        combo(Key::v, cmdKey | controlKey),
        combo(Key::t, cmdKey | optionKey),
        combo(Key::s, cmdKey | controlKey),
        combo(Key::f, cmdKey | controlKey),
        combo(Key::m, cmdKey),
        combo(Key::slash, cmdKey | shiftKey),
    };
}

std::vector<KeyCombo> KeyCombo::keyCombos(const QMenu* menu)
{
    std::vector<KeyCombo> result;
    if (menu != nullptr) {
        collectKeyCombos(menu->actions(), result);
    }
    return result;
}

std::vector<KeyCombo> KeyCombo::mainMenuKeyCombos()
{
    std::vector<KeyCombo> result;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return result;
    }
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (const QMenuBar* menuBar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
            collectKeyCombos(menuBar->actions(), result);
            break;
        }
    }
    return result;
}

std::vector<KeyCombo> KeyCombo::systemKeyCombos()
{
    return {};
}
