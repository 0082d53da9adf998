#include "platform/HotKeyShortcutService.h"

#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/Key.h"

HotKeyShortcutService::HotKeyShortcutService() = default;

HotKeyShortcutService::~HotKeyShortcutService() = default;

void HotKeyShortcutService::bind(const Combination& combination, std::function<void()> pressed)
{
    // Released first, so the old combination is free before the new one is grabbed.
    m_hotKey.reset();
    const auto key = HotKeys::keyFromString(QString(combination.key));
    if (!key)
        return;
    std::uint32_t modifiers = 0;
    if (combination.control)
        modifiers |= ModifierFlags::control;
    if (combination.alt)
        modifiers |= ModifierFlags::option;
    if (combination.shift)
        modifiers |= ModifierFlags::shift;
    if (combination.super)
        modifiers |= ModifierFlags::command;
    m_hotKey = HotKey::create(*key, ModifierFlags(modifiers));
    m_hotKey->setKeyDownHandler(std::move(pressed));
}

void HotKeyShortcutService::unbind()
{
    m_hotKey.reset();
}

GlobalShortcutService::State HotKeyShortcutService::state() const
{
    if (!m_hotKey)
        return State::Waiting;
    return HotKeysController::hasSystemHandle(m_hotKey->identifier()) ? State::Registered : State::Refused;
}
