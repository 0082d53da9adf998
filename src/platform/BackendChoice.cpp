#include "platform/BackendChoice.h"

#include <optional>

namespace {

using Backend = BackendChoice::Backend;

std::optional<Backend> backendNamed(const QString& name)
{
    if (name.compare(QLatin1String("x11"), Qt::CaseInsensitive) == 0)
        return Backend::X11;
    if (name.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0)
        return Backend::Wayland;
    return std::nullopt;
}

// QT_QPA_PLATFORM may list fallbacks ("wayland;xcb") and options ("xcb:display=:1"): Qt tries
// the first one first.
std::optional<Backend> backendOfPlugin(const QString& platforms)
{
    const QString first = platforms.section(u';', 0, 0).section(u':', 0, 0).trimmed();
    if (first == QLatin1String("xcb"))
        return Backend::X11;
    if (first.startsWith(QLatin1String("wayland")))
        return Backend::Wayland;
    return std::nullopt;
}

} // namespace

BackendChoice BackendChoice::fromEnvironment(const QProcessEnvironment& environment)
{
    BackendChoice choice;
    const QString forced = environment.value(QStringLiteral("OVELIN_PLATFORM")).trimmed();
    const QString plugin = environment.value(QStringLiteral("QT_QPA_PLATFORM")).trimmed();
    std::optional<Backend> backend = backendNamed(forced);
    if (!forced.isEmpty() && !backend)
        choice.warning =
            QStringLiteral(
                "⚠️ OVELIN_PLATFORM desconhecida (use x11 ou wayland), escolha automática: ") +
            forced;
    if (!backend)
        backend = backendOfPlugin(plugin);
    if (!backend) {
        const bool waylandSession = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() &&
                                    environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                                            .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
        backend = waylandSession ? Backend::Wayland : Backend::X11;
    }
    choice.backend = *backend;
    // A plugin the user named stays (offscreen for a test, a fallback list) unless it speaks to
    // the other display server: the backend's services need Qt on the same connection.
    const std::optional<Backend> pluginBackend = backendOfPlugin(plugin);
    if (plugin.isEmpty() || (pluginBackend && pluginBackend != choice.backend))
        choice.qpaPlatform =
            choice.backend == Backend::Wayland ? QByteArrayLiteral("wayland") : QByteArrayLiteral("xcb");
    return choice;
}
