#pragma once

#include <QProcessEnvironment>

#include "platform/SessionServices.h"

namespace ovelin::gnome {

/// The services of a GNOME session under Wayland, through the Shell extension, each made once for
/// the life of the process. Without the extension they do nothing until it comes.
struct Services : SessionServices
{
    /// The extension answered at start.
    bool extensionReady = false;
};

/// XDG_CURRENT_DESKTOP names GNOME ("GNOME", "ubuntu:GNOME", "GNOME-Classic:GNOME").
bool isGnomeDesktop(const QProcessEnvironment& environment);

/// The Shell extension holds its name on the session bus.
bool extensionAnswers();

const Services& services();

} // namespace ovelin::gnome
