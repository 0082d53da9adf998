#!/usr/bin/env bash
# Runs a test program as a client of the headless GNOME Shell that scripts/gnomesession.sh started,
# the way scripts/as-wayland-user.sh runs one under sway. Without that shell the program runs as it
# is and skips its cases. Usage: as-gnome-user.sh <program> [arguments...]
set -euo pipefail
if [ -z "${OVELIN_GNOME_DISPLAY:-}" ]; then
    QT_QPA_PLATFORM=offscreen exec "$@"
fi
export OVELIN_WAYLAND_DISPLAY=$OVELIN_GNOME_DISPLAY OVELIN_WAYLAND_RUNTIME_DIR=$OVELIN_GNOME_RUNTIME_DIR
export OVELIN_WAYLAND_DBUS=$OVELIN_GNOME_DBUS OVELIN_WAYLAND_USER=$OVELIN_GNOME_USER XDG_CURRENT_DESKTOP=GNOME
unset OVELIN_SWAYSOCK
exec "$(dirname "$0")/as-wayland-user.sh" "$@"
