#include "platform/wayland/WaylandKeyEventPoster.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include "platform/wayland/WaylandGuiConnection.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

using namespace Qt::StringLiterals;

namespace {

// wl_keyboard key codes are evdev codes, xkb's are 8 higher.
constexpr uint32_t evdevOffset = 8;

uint32_t milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The keymap goes to the compositor as a sealed file in memory, as a wl_keyboard keymap does.
int keymapFile(const char* text, size_t size)
{
    const int fd = memfd_create("ovelin-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, text + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += size_t(n);
    }
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

WaylandKeyEventPoster::WaylandKeyEventPoster(QObject* parent)
    : QObject(parent), m_connection(new WaylandGuiConnection(3000, this))
{
    if (!createKeyboard() && m_setupError.isEmpty())
        m_setupError = m_connection->errorString();
}

WaylandKeyEventPoster::~WaylandKeyEventPoster()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    m_connection->flush();
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
}

bool WaylandKeyEventPoster::createKeyboard()
{
    if (!m_connection->isConnected())
        return false;
    m_manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        m_connection->bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!m_manager) {
        m_setupError = u"o compositor não oferece teclados virtuais (zwp_virtual_keyboard_manager_v1)"_s;
        return false;
    }
    if (!m_connection->seat()) {
        m_setupError = u"o compositor não tem um seat"_s;
        return false;
    }
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context) {
        // Empty names are the xkb defaults (evdev rules, pc105), with the layout pinned to "us".
        const xkb_rule_names names = {nullptr, nullptr, "us", nullptr, nullptr};
        m_keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        xkb_context_unref(context);
    }
    char* text = m_keymap ? xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    if (!text) {
        m_setupError = u"o xkbcommon não compilou o mapa de teclado \"us\""_s;
        return false;
    }
    const size_t size = std::strlen(text) + 1;
    const int fd = keymapFile(text, size);
    std::free(text);
    if (fd < 0) {
        m_setupError =
            u"o mapa de teclado não coube na memória: "_s + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_state = xkb_state_new(m_keymap);
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_connection->seat());
    // The request carries a duplicate of the descriptor.
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    ::close(fd);
    return m_connection->flush();
}

bool WaylandKeyEventPoster::isAvailable() const
{
    return m_keyboard && m_connection->isConnected();
}

bool WaylandKeyEventPoster::usable(QString* error) const
{
    if (isAvailable())
        return true;
    setError(error, m_setupError.isEmpty() ? m_connection->errorString() : m_setupError);
    return false;
}

uint32_t WaylandKeyEventPoster::keycodeFor(uint32_t keysym) const
{
    const xkb_keycode_t last = xkb_keymap_max_keycode(m_keymap);
    for (xkb_keycode_t key = xkb_keymap_min_keycode(m_keymap); key <= last; ++key) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(m_keymap, key, 0, 0, &syms);
        for (int i = 0; i < count; ++i) {
            if (syms[i] == keysym)
                return key;
        }
    }
    return 0;
}

void WaylandKeyEventPoster::sendKey(uint32_t keycode, bool pressed)
{
    zwp_virtual_keyboard_v1_key(m_keyboard, milliseconds(), keycode - evdevOffset,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    // The modifiers follow each key as a physical keyboard's would.
    const xkb_state_component changed =
        xkb_state_update_key(m_state, keycode, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (changed & (XKB_STATE_MODS_EFFECTIVE | XKB_STATE_LAYOUT_EFFECTIVE)) {
        zwp_virtual_keyboard_v1_modifiers(m_keyboard,
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                                          xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                                          xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE));
    }
}

std::chrono::milliseconds WaylandKeyEventPoster::prepareToPost()
{
    const uint32_t shift = isAvailable() ? keycodeFor(XKB_KEY_Shift_L) : 0;
    if (shift == 0)
        return std::chrono::milliseconds(0);
    sendKey(shift, true);
    sendKey(shift, false);
    m_connection->flush();
    return settleTime;
}

bool WaylandKeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    if (!usable(error))
        return false;
    QList<uint32_t> modifiers;
    uint32_t key = 0;
    switch (keystroke) {
    case PasteKeystroke::ControlV:
        modifiers = {keycodeFor(XKB_KEY_Control_L)};
        key = keycodeFor(XKB_KEY_v);
        break;
    case PasteKeystroke::ShiftInsert:
        modifiers = {keycodeFor(XKB_KEY_Shift_L)};
        key = keycodeFor(XKB_KEY_Insert);
        break;
    case PasteKeystroke::ControlShiftV:
        modifiers = {keycodeFor(XKB_KEY_Control_L), keycodeFor(XKB_KEY_Shift_L)};
        key = keycodeFor(XKB_KEY_v);
        break;
    }
    if (key == 0 || modifiers.contains(0u)) {
        setError(error, u"o mapa de teclado não tem as teclas do atalho de colar"_s);
        return false;
    }
    for (uint32_t modifier : std::as_const(modifiers))
        sendKey(modifier, true);
    sendKey(key, true);
    sendKey(key, false);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        sendKey(*it, false);
    if (!m_connection->flush()) {
        setError(error, m_connection->errorString());
        return false;
    }
    return true;
}
