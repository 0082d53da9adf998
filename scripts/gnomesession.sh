#!/usr/bin/env bash
# Source this file: starts a private headless GNOME Shell (Wayland, one 1280x720 virtual monitor)
# with Ovelin's extension enabled, a session bus of its own and, for the system bus, an empty
# private one. Like scripts/wlsession.sh, a root caller runs it as the unprivileged user
# "ovelin-test"; tests reach it through scripts/as-gnome-user.sh.
# The shell runs in unsafe mode so that tests may Eval in it (hide the overview, focus windows):
# a test-only session, never how Ovelin runs.
# Exports OVELIN_GNOME_DISPLAY (the socket's absolute path), OVELIN_GNOME_RUNTIME_DIR,
# OVELIN_GNOME_DBUS, OVELIN_GNOME_USER and OVELIN_GNOME_EXTENSION (the uuid).
# Usage: ovelin_gnome_start <build folder>; ovelin_gnome_stop.

ovelin_gnome_start() {
    local uuid=ovelin@ovelin.app
    local flavour=45
    gnome-shell --version 2>/dev/null | grep -qE ' 4[34]\.' && flavour=43
    local extension=$1/gnome-extension/$flavour/$uuid
    local user
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        user=ovelin-test
        id "$user" >/dev/null 2>&1 || useradd --system --create-home --shell /usr/sbin/nologin "$user"
    fi
    OVELIN_GNOME_USER=$user
    OVELIN_GNOME_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-gnome-XXXXXX)
    local dir=$OVELIN_GNOME_RUNTIME_DIR
    mkdir -p "$dir/data/gnome-shell/extensions" "$dir/config"
    cp -r "$extension" "$dir/data/gnome-shell/extensions/$uuid"
    chown -R "$user:" "$dir"
    chmod 700 "$dir"
    local as_user=()
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid="$user" --regid="$user" --init-groups)

    local bus system
    cp "$(dirname "${BASH_SOURCE[0]}")/session-bus.conf" "$dir/session-bus.conf"
    chmod 644 "$dir/session-bus.conf"
    bus=$("${as_user[@]}" env XDG_RUNTIME_DIR="$dir" dbus-daemon --config-file="$dir/session-bus.conf" --fork \
        --print-address=1 --print-pid=1)
    OVELIN_GNOME_DBUS=${bus%%$'\n'*}
    OVELIN_GNOME_DBUS_PID=${bus##*$'\n'}
    system=$("${as_user[@]}" env XDG_RUNTIME_DIR="$dir" dbus-daemon --config-file="$dir/session-bus.conf" --fork \
        --print-address=1 --print-pid=1)
    OVELIN_GNOME_SYSTEM_DBUS_PID=${system##*$'\n'}

    # Settings in a key file of the session's own: the private bus starts no dconf service.
    local env=(env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir" XDG_DATA_HOME="$dir/data"
        XDG_CONFIG_HOME="$dir/config" DBUS_SESSION_BUS_ADDRESS="$OVELIN_GNOME_DBUS"
        DBUS_SYSTEM_BUS_ADDRESS="${system%%$'\n'*}" GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME
        XDG_SESSION_TYPE=wayland NO_AT_BRIDGE=1 GNOME_SHELL_SLOWDOWN_FACTOR=0.01)
    "${as_user[@]}" "${env[@]}" gsettings set org.gnome.shell enabled-extensions "['$uuid']"
    "${as_user[@]}" "${env[@]}" gsettings set org.gnome.shell welcome-dialog-last-shown-version "'999'"
    "${as_user[@]}" "${env[@]}" gnome-shell --headless --wayland --no-x11 --unsafe-mode --virtual-monitor 1280x720 \
        --wayland-display=wayland-gnome >"$dir/shell.log" 2>&1 &
    OVELIN_GNOME_SHELL_PID=$!
    OVELIN_GNOME_DISPLAY=""
    # Ready when the extension has taken its name on the bus.
    for _ in $(seq 1 300); do
        if [ -S "$dir/wayland-gnome" ] && "${as_user[@]}" env DBUS_SESSION_BUS_ADDRESS="$OVELIN_GNOME_DBUS" \
            gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.NameHasOwner app.ovelin.Shell 2>/dev/null | grep -q true; then
            OVELIN_GNOME_DISPLAY=$dir/wayland-gnome
            break
        fi
        kill -0 "$OVELIN_GNOME_SHELL_PID" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$OVELIN_GNOME_DISPLAY" ]; then
        echo "Could not start gnome-shell with $uuid:" >&2
        tail -20 "$dir/shell.log" >&2
        ovelin_gnome_stop
        return 1
    fi
    OVELIN_GNOME_EXTENSION=$uuid
    export OVELIN_GNOME_USER OVELIN_GNOME_RUNTIME_DIR OVELIN_GNOME_DISPLAY OVELIN_GNOME_DBUS OVELIN_GNOME_EXTENSION
}

ovelin_gnome_stop() {
    local pid
    for pid in "${OVELIN_GNOME_SHELL_PID:-}" "${OVELIN_GNOME_DBUS_PID:-}" "${OVELIN_GNOME_SYSTEM_DBUS_PID:-}"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    if [ -n "${OVELIN_GNOME_SHELL_PID:-}" ]; then
        for _ in $(seq 1 50); do
            kill -0 "$OVELIN_GNOME_SHELL_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    [ -n "${OVELIN_GNOME_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_GNOME_RUNTIME_DIR"
    OVELIN_GNOME_SHELL_PID="" OVELIN_GNOME_DBUS_PID="" OVELIN_GNOME_SYSTEM_DBUS_PID="" OVELIN_GNOME_RUNTIME_DIR=""
    true
}
