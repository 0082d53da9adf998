#!/usr/bin/env bash
# Source this file: starts a private headless Wayland compositor (sway, or weston without the
# clipboard-manager protocols) and a session bus beside it. Compositors refuse to run as root, so
# a root caller runs both as the unprivileged user "ovelin-test", created on first use; the tests
# then run as that user too (scripts/as-wayland-user.sh).
# Exports OVELIN_WAYLAND_DISPLAY (the socket's absolute path), OVELIN_WAYLAND_RUNTIME_DIR,
# OVELIN_WAYLAND_DBUS, OVELIN_WAYLAND_USER, and OVELIN_SWAYSOCK for sway.
# Usage: ovelin_wl_start [sway|weston]; ovelin_wl_stop.

ovelin_wl_start() {
    local compositor=${1:-sway}
    local user
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        user=ovelin-test
        id "$user" >/dev/null 2>&1 || useradd --system --create-home --shell /usr/sbin/nologin "$user"
    fi
    OVELIN_WAYLAND_USER=$user
    OVELIN_WAYLAND_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-wl-XXXXXX)
    chown "$user:" "$OVELIN_WAYLAND_RUNTIME_DIR"
    chmod 700 "$OVELIN_WAYLAND_RUNTIME_DIR"
    local dir=$OVELIN_WAYLAND_RUNTIME_DIR
    local as_user=()
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid="$user" --regid="$user" --init-groups)

    # The bus activates nothing installed on the machine (a desktop portal would claim the
    # shortcut); its configuration is copied where the compositor's user can read it.
    local bus
    cp "$(dirname "${BASH_SOURCE[0]}")/session-bus.conf" "$dir/session-bus.conf"
    chmod 644 "$dir/session-bus.conf"
    bus=$("${as_user[@]}" env XDG_RUNTIME_DIR="$dir" dbus-daemon --config-file="$dir/session-bus.conf" --fork \
        --print-address=1 --print-pid=1)
    OVELIN_WAYLAND_DBUS=${bus%%$'\n'*}
    OVELIN_WAYLAND_DBUS_PID=${bus##*$'\n'}

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
    if [ -n "${OVELIN_WAYLAND_COMPOSITOR_PID:-}" ]; then
        for _ in $(seq 1 50); do
            kill -0 "$OVELIN_WAYLAND_COMPOSITOR_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    [ -n "${OVELIN_WAYLAND_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_WAYLAND_RUNTIME_DIR"
    OVELIN_WAYLAND_COMPOSITOR_PID="" OVELIN_WAYLAND_DBUS_PID="" OVELIN_WAYLAND_RUNTIME_DIR=""
    true
}
