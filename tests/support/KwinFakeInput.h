#pragma once

#include <cstring>

#include <QList>
#include <QPoint>

#include <wayland-client.h>

#include "fake-input-client-protocol.h"

namespace ovelin::test {

/// The keys and the pointer a person would move, through KWin's fake input on $WAYLAND_DISPLAY:
/// KWin grants it to a program through a desktop entry of its own (X-KDE-Wayland-Interfaces), as
/// it grants it to an installed Ovelin. `application` is the name KWin is told.
class FakeInput
{
public:
    explicit FakeInput(const char* application) : m_display(wl_display_connect(nullptr))
    {
        if (!m_display)
            return;
        static const wl_registry_listener listener{
            [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
                if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
                    static_cast<FakeInput*>(data)->m_device = static_cast<org_kde_kwin_fake_input*>(
                        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(wl_display_get_registry(m_display), &listener, this);
        wl_display_roundtrip(m_display);
        if (m_device)
            org_kde_kwin_fake_input_authenticate(m_device, application, "a person's keys");
    }
    ~FakeInput()
    {
        if (m_display)
            wl_display_disconnect(m_display);
    }
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;

    bool isAvailable() const { return m_device != nullptr; }
    /// Presses the keys (evdev codes) in order and releases them the other way round.
    bool press(const QList<uint32_t>& keys)
    {
        for (uint32_t key : keys)
            org_kde_kwin_fake_input_keyboard_key(m_device, key, 1);
        for (auto key = keys.crbegin(); key != keys.crend(); ++key)
            org_kde_kwin_fake_input_keyboard_key(m_device, *key, 0);
        return wl_display_roundtrip(m_display) >= 0;
    }
    bool movePointer(QPoint to)
    {
        org_kde_kwin_fake_input_pointer_motion_absolute(m_device, wl_fixed_from_int(to.x()),
                                                        wl_fixed_from_int(to.y()));
        return wl_display_roundtrip(m_display) >= 0;
    }

private:
    wl_display* m_display;
    org_kde_kwin_fake_input* m_device = nullptr;
};

} // namespace ovelin::test
