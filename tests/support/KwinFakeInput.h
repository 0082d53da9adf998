#pragma once

#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPoint>
#include <QProcess>

#include <wayland-client.h>

#include "fake-input-client-protocol.h"

namespace ovelin::test {

/// KWin's home (scripts/kwinsession.sh): the installed Ovelin and the desktop entries are there.
inline QString kwinHome()
{
    return qEnvironmentVariable("OVELIN_KWIN_RUNTIME_DIR");
}

/// KWin grants fake input to a program through a desktop entry naming it, once KDE's service
/// cache knows the entry: this program's entry is written into KWin's home and the cache rebuilt
/// there, as a desktop session does when entries change. `interfaces` as the entry lists them.
inline bool announceToKwin(int timeoutMs, const QByteArray& interfaces = "org_kde_kwin_fake_input")
{
    const QString program = QCoreApplication::applicationFilePath();
    QFile entry(kwinHome() + QStringLiteral("/.local/share/applications/ovelin-%1.desktop")
                                 .arg(QFileInfo(program).fileName()));
    if (!entry.open(QIODevice::WriteOnly))
        return false;
    entry.write("[Desktop Entry]\nType=Application\nName=" + QFileInfo(program).fileName().toUtf8() +
                "\nExec=" + program.toUtf8() + "\nX-KDE-Wayland-Interfaces=" + interfaces + '\n');
    entry.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_DATA_DIRS"));
    for (const auto& [variable, folder] : {std::pair{"XDG_DATA_HOME", "/.local/share"},
                                           {"XDG_CACHE_HOME", "/.cache"},
                                           {"XDG_CONFIG_HOME", "/.config"}})
        environment.insert(QLatin1String(variable), kwinHome() + QLatin1String(folder));
    QProcess sycoca;
    sycoca.setProcessEnvironment(environment);
    sycoca.start(QStringLiteral("kbuildsycoca5"), {});
    return sycoca.waitForFinished(timeoutMs) && sycoca.exitCode() == 0;
}

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
