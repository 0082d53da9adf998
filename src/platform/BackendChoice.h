#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

/// Which display backend a start runs on, decided from the environment before the application
/// object exists (Qt reads its platform plugin from QT_QPA_PLATFORM when that object is made).
struct BackendChoice
{
    enum class Backend
    {
        X11,
        Wayland,
    };
    Backend backend = Backend::X11;
    /// What QT_QPA_PLATFORM must be set to; empty when the user set it and it stays.
    QByteArray qpaPlatform;
    /// A line to print first (an OVELIN_PLATFORM Ovelin does not know); empty otherwise.
    QString warning;

    /// OVELIN_PLATFORM ("x11", "wayland") forces a backend; otherwise a platform plugin the user
    /// chose decides, then the session: WAYLAND_DISPLAY set and XDG_SESSION_TYPE "wayland".
    static BackendChoice fromEnvironment(const QProcessEnvironment& environment);
};
