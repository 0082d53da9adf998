#!/usr/bin/env bash
# Source this file: starts a private headless Wayland compositor (sway, or weston without the
# clipboard-manager protocols) and a session bus beside it. Compositors refuse to run as root, so
# a root caller runs both as the unprivileged user "ovelin-test", created on first use; the tests
# then run as that user too (scripts/as-wayland-user.sh).
# Exports OVELIN_WAYLAND_DISPLAY (the socket's absolute path), OVELIN_WAYLAND_RUNTIME_DIR,
# OVELIN_WAYLAND_DBUS, OVELIN_WAYLAND_USER, and OVELIN_SWAYSOCK for sway.
# Usage: ovelin_wl_start [sway|weston]; ovelin_wl_stop.

source "$(dirname "${BASH_SOURCE[0]}")/session-common.sh"

ovelin_wl_start() {
    local compositor=${1:-sway}
    ovelin_session_user
    local user=$OVELIN_SESSION_USER as_user=("${OVELIN_AS_USER[@]}")
    OVELIN_WAYLAND_USER=$user
    OVELIN_WAYLAND_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-wl-XXXXXX)
    chown "$user:" "$OVELIN_WAYLAND_RUNTIME_DIR"
    chmod 700 "$OVELIN_WAYLAND_RUNTIME_DIR"
    local dir=$OVELIN_WAYLAND_RUNTIME_DIR
    ovelin_session_bus "$dir" OVELIN_WAYLAND_DBUS OVELIN_WAYLAND_DBUS_PID

    local env=(env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir" DBUS_SESSION_BUS_ADDRESS="$OVELIN_WAYLAND_DBUS"
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1)
    if [ "$compositor" = sway ]; then
        cat >"$dir/sway.conf" <<'CONF'
xwayland disable
output HEADLESS-1 resolution 1920x1080 position 0 0
default_border none
focus_follows_mouse no
CONF
        chmod 644 "$dir/sway.conf"
        "${as_user[@]}" "${env[@]}" sway --config "$dir/sway.conf" >"$dir/compositor.log" 2>&1 &
    else
        "${as_user[@]}" "${env[@]}" weston --backend=headless-backend.so --socket=wayland-1 --idle-time=0 \
            --width=1920 --height=1080 >"$dir/compositor.log" 2>&1 &
    fi
    OVELIN_WAYLAND_COMPOSITOR_PID=$!
    OVELIN_WAYLAND_DISPLAY=""
    for _ in $(seq 1 100); do
        local socket
        socket=$(find "$dir" -maxdepth 1 -name 'wayland-*' -type s 2>/dev/null | head -1)
        if [ -n "$socket" ] && { [ "$compositor" != sway ] || ls "$dir"/sway-ipc.*.sock >/dev/null 2>&1; }; then
            OVELIN_WAYLAND_DISPLAY=$socket
            break
        fi
        sleep 0.1
    done
    if [ -z "$OVELIN_WAYLAND_DISPLAY" ]; then
        echo "Could not start $compositor; see $dir/compositor.log" >&2
        return 1
    fi
    OVELIN_SWAYSOCK=""
    [ "$compositor" = sway ] && OVELIN_SWAYSOCK=$(ls "$dir"/sway-ipc.*.sock | head -1)
    export OVELIN_WAYLAND_USER OVELIN_WAYLAND_RUNTIME_DIR OVELIN_WAYLAND_DISPLAY OVELIN_WAYLAND_DBUS OVELIN_SWAYSOCK
}

ovelin_wl_stop() {
    [ -n "${OVELIN_WAYLAND_COMPOSITOR_PID:-}" ] && kill "$OVELIN_WAYLAND_COMPOSITOR_PID" 2>/dev/null || true
    [ -n "${OVELIN_WAYLAND_DBUS_PID:-}" ] && kill "$OVELIN_WAYLAND_DBUS_PID" 2>/dev/null || true
    [ -n "${OVELIN_WAYLAND_COMPOSITOR_PID:-}" ] && ovelin_session_wait_exit "$OVELIN_WAYLAND_COMPOSITOR_PID"
    [ -n "${OVELIN_WAYLAND_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_WAYLAND_RUNTIME_DIR"
    OVELIN_WAYLAND_COMPOSITOR_PID="" OVELIN_WAYLAND_DBUS_PID="" OVELIN_WAYLAND_RUNTIME_DIR=""
    true
}
