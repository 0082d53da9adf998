#pragma once

#include <functional>
#include <memory>

#include <QUuid>

#include "KeyCombo.h"

/// One system-wide hot key. It is registered with the system as soon as it is created and stays
/// registered until it is paused or destroyed.
///
/// Ownership: a HotKey lives in a std::shared_ptr that the caller owns (the create functions
/// return it). The registry in HotKeysController only holds it weakly; releasing the last
/// shared_ptr unregisters the system hot key at once. The handlers run on the GUI thread, from the
/// event loop; a handler may release its own hot key. GUI thread only.
class HotKey : public std::enable_shared_from_this<HotKey>
{
    struct PrivateTag
    {
    };

public:
    using Handler = std::function<void()>;

    static std::shared_ptr<HotKey> create(KeyCombo keyCombo, Handler keyDownHandler = {},
                                          Handler keyUpHandler = {});
    static std::shared_ptr<HotKey> create(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                          Handler keyDownHandler = {}, Handler keyUpHandler = {});
    static std::shared_ptr<HotKey> create(Key key, ModifierFlags modifiers, Handler keyDownHandler = {},
                                          Handler keyUpHandler = {});

    /// For std::make_shared only; use create(), which also registers the hot key.
    HotKey(PrivateTag, KeyCombo keyCombo, Handler keyDownHandler, Handler keyUpHandler);
    ~HotKey();
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    const QUuid& identifier() const { return m_identifier; }
    const KeyCombo& keyCombo() const { return m_keyCombo; }

    const Handler& keyDownHandler() const { return m_keyDownHandler; }
    void setKeyDownHandler(Handler handler) { m_keyDownHandler = std::move(handler); }
    const Handler& keyUpHandler() const { return m_keyUpHandler; }
    void setKeyUpHandler(Handler handler) { m_keyUpHandler = std::move(handler); }

    bool isPaused() const { return m_paused; }
    /// true unregisters the hot key; false registers it again under a new ID.
    void setPaused(bool paused);

private:
    QUuid m_identifier;
    KeyCombo m_keyCombo;
    Handler m_keyDownHandler;
    Handler m_keyUpHandler;
    bool m_paused = false;
};
