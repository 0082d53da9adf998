#!/usr/bin/env bash
# Runs a test program as a client of the KWin that scripts/kwinsession.sh started, as
# scripts/as-wayland-user.sh does for sway. Without that KWin the program runs offscreen and
# skips its cases. Usage: as-kwin-user.sh <program> [arguments...]
set -euo pipefail
unset OVELIN_SWAYSOCK SWAYSOCK
if [ -z "${OVELIN_KWIN_DISPLAY:-}" ]; then
    unset OVELIN_WAYLAND_DISPLAY
else
    export OVELIN_WAYLAND_DISPLAY=$OVELIN_KWIN_DISPLAY OVELIN_WAYLAND_RUNTIME_DIR=$OVELIN_KWIN_RUNTIME_DIR \
        OVELIN_WAYLAND_DBUS=$OVELIN_KWIN_DBUS OVELIN_WAYLAND_USER=$OVELIN_KWIN_USER OVELIN_KWIN=1
fi
exec "$(dirname "$0")/as-wayland-user.sh" "$@"
