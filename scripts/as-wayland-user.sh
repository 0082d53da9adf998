#!/usr/bin/env bash
# Runs a test program as a client of the compositor that scripts/wlsession.sh started: as its
# user, with its runtime folder, socket and session bus. Without such a compositor the program
# runs as it is and skips its cases. Usage: as-wayland-user.sh <program> [arguments...]
set -euo pipefail
if [ -z "${OVELIN_WAYLAND_DISPLAY:-}" ]; then
    QT_QPA_PLATFORM=offscreen exec "$@"
fi
export WAYLAND_DISPLAY=$OVELIN_WAYLAND_DISPLAY XDG_RUNTIME_DIR=$OVELIN_WAYLAND_RUNTIME_DIR
export DBUS_SESSION_BUS_ADDRESS=$OVELIN_WAYLAND_DBUS XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
[ -n "${OVELIN_SWAYSOCK:-}" ] && export SWAYSOCK=$OVELIN_SWAYSOCK
unset DISPLAY
if [ "$(id -u)" -ne 0 ] || [ "$OVELIN_WAYLAND_USER" = root ]; then
    exec "$@"
fi
user=$OVELIN_WAYLAND_USER
# The build tree may sit under a folder only root may enter (/root): let the test user pass
# through each folder above the program, nothing more.
dir=$(dirname "$(readlink -f "$1")")
while [ "$dir" != / ]; do
    if ! setpriv --reuid="$user" --regid="$user" --init-groups test -x "$dir"; then
        setfacl -m "u:$user:x" "$dir" 2>/dev/null || chmod o+x "$dir"
    fi
    dir=$(dirname "$dir")
done
export HOME=$XDG_RUNTIME_DIR
exec setpriv --reuid="$user" --regid="$user" --init-groups "$@"
