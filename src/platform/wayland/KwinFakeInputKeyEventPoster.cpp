#include "platform/wayland/KwinFakeInputKeyEventPoster.h"

#include <linux/input-event-codes.h>

#include <QCoreApplication>
#include <QList>

#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "platform/wayland/WaylandGuiConnection.h"

using namespace Qt::StringLiterals;

namespace {

// KWin checks the executable against its desktop entry for each restricted global, which takes
// long on a loaded machine.
constexpr int kwinSetupTimeoutMs = 10000;

// keyboard_key's state, as wl_keyboard's.
constexpr uint32_t released = 0;
constexpr uint32_t pressed = 1;

} // namespace

KwinFakeInputKeyEventPoster::KwinFakeInputKeyEventPoster(QObject* parent)
    : QObject(parent), m_connection(new WaylandGuiConnection(kwinSetupTimeoutMs, this))
{
    // Keys arrived only from version 4 (Plasma 5.20): an older device is of no use.
    m_fakeInput =
        static_cast<org_kde_kwin_fake_input*>(m_connection->bind(&org_kde_kwin_fake_input_interface, 4));
    if (m_fakeInput && org_kde_kwin_fake_input_get_version(m_fakeInput) < 4) {
        org_kde_kwin_fake_input_destroy(m_fakeInput);
        m_fakeInput = nullptr;
    }
    if (!m_fakeInput)
        return;
    // KWin grants every request that reaches it: the desktop entry was the permission.
    org_kde_kwin_fake_input_authenticate(m_fakeInput, "Ovelin", "colar o item escolhido no histórico");
    m_connection->flush();
}

KwinFakeInputKeyEventPoster::~KwinFakeInputKeyEventPoster()
{
    if (m_fakeInput) {
        org_kde_kwin_fake_input_destroy(m_fakeInput);
        m_connection->flush();
    }
}

bool KwinFakeInputKeyEventPoster::isAvailable() const
{
    return m_fakeInput && m_connection->isConnected() &&
           m_connection->offers(&org_kde_kwin_fake_input_interface);
}

bool KwinFakeInputKeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    if (!isAvailable()) {
        if (error) {
            // The item stays on the clipboard for the user to paste.
            *error = !m_connection->isConnected() ? m_connection->errorString()
                     : m_fakeInput
                         ? u"o KWin retirou o fake input deste executável (org_kde_kwin_fake_input)"_s
                         : u"o KWin não oferece fake input a este executável (org_kde_kwin_fake_input)"_s;
        }
        return false;
    }
    QList<uint32_t> modifiers;
    uint32_t key = KEY_V;
    switch (keystroke) {
    case PasteKeystroke::ControlV:
        modifiers = {KEY_LEFTCTRL};
        break;
    case PasteKeystroke::ShiftInsert:
        modifiers = {KEY_LEFTSHIFT};
        key = KEY_INSERT;
        break;
    case PasteKeystroke::ControlShiftV:
        modifiers = {KEY_LEFTCTRL, KEY_LEFTSHIFT};
        break;
    }
    for (uint32_t modifier : std::as_const(modifiers))
        org_kde_kwin_fake_input_keyboard_key(m_fakeInput, modifier, pressed);
    org_kde_kwin_fake_input_keyboard_key(m_fakeInput, key, pressed);
    org_kde_kwin_fake_input_keyboard_key(m_fakeInput, key, released);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        org_kde_kwin_fake_input_keyboard_key(m_fakeInput, *it, released);
    if (!m_connection->flush()) {
        if (error)
            *error = m_connection->errorString();
        return false;
    }
    return true;
}
