#include "HotKey.h"

#include "HotKeysController.h"

std::shared_ptr<HotKey> HotKey::create(KeyCombo keyCombo, Handler keyDownHandler, Handler keyUpHandler)
{
    auto hotKey =
        std::make_shared<HotKey>(PrivateTag{}, keyCombo, std::move(keyDownHandler), std::move(keyUpHandler));
    HotKeysController::registerHotKey(hotKey);
    return hotKey;
}

std::shared_ptr<HotKey> HotKey::create(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                       Handler keyDownHandler, Handler keyUpHandler)
{
    return create(KeyCombo(carbonKeyCode, carbonModifiers), std::move(keyDownHandler),
                  std::move(keyUpHandler));
}

std::shared_ptr<HotKey> HotKey::create(Key key, ModifierFlags modifiers, Handler keyDownHandler,
                                       Handler keyUpHandler)
{
    return create(KeyCombo(key, modifiers), std::move(keyDownHandler), std::move(keyUpHandler));
}

HotKey::HotKey(PrivateTag, KeyCombo keyCombo, Handler keyDownHandler, Handler keyUpHandler)
    : m_identifier(QUuid::createUuid()), m_keyCombo(keyCombo), m_keyDownHandler(std::move(keyDownHandler)),
      m_keyUpHandler(std::move(keyUpHandler))
{
}

HotKey::~HotKey()
{
    HotKeysController::unregisterHotKey(m_identifier);
}

void HotKey::setPaused(bool paused)
{
    m_paused = paused;
    if (paused) {
        HotKeysController::unregisterHotKey(m_identifier);
    } else {
        HotKeysController::registerHotKey(shared_from_this());
    }
}
