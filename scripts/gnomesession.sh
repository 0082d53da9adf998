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

source "$(dirname "${BASH_SOURCE[0]}")/session-common.sh"

ovelin_gnome_start() {
    local uuid=ovelin@ovelin.app
    local flavour=45
    gnome-shell --version 2>/dev/null | grep -qE ' 4[34]\.' && flavour=43
    local extension=$1/gnome-extension/$flavour/$uuid
    ovelin_session_user
    local user=$OVELIN_SESSION_USER as_user=("${OVELIN_AS_USER[@]}")
    OVELIN_GNOME_USER=$user
    OVELIN_GNOME_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-gnome-XXXXXX)
    local dir=$OVELIN_GNOME_RUNTIME_DIR
    mkdir -p "$dir/data/gnome-shell/extensions" "$dir/config"
    cp -r "$extension" "$dir/data/gnome-shell/extensions/$uuid"
    chown -R "$user:" "$dir"
    chmod 700 "$dir"

    local system
    ovelin_session_bus "$dir" OVELIN_GNOME_DBUS OVELIN_GNOME_DBUS_PID
    ovelin_session_bus "$dir" system OVELIN_GNOME_SYSTEM_DBUS_PID

    # Settings in a key file of the session's own: the private bus starts no dconf service.
    local env=(env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir" XDG_DATA_HOME="$dir/data"
        XDG_CONFIG_HOME="$dir/config" DBUS_SESSION_BUS_ADDRESS="$OVELIN_GNOME_DBUS"
        DBUS_SYSTEM_BUS_ADDRESS="$system" GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME
        XDG_SESSION_TYPE=wayland NO_AT_BRIDGE=1 GNOME_SHELL_SLOWDOWN_FACTOR=0.01)
    "${as_user[@]}" "${env[@]}" gsettings set org.gnome.shell enabled-extensions "['$uuid']"
    "${as_user[@]}" "${env[@]}" gsettings set org.gnome.shell welcome-dialog-last-shown-version "'999'"
    "${as_user[@]}" "${env[@]}" gnome-shell --headless --wayland --no-x11 --unsafe-mode --virtual-monitor 1280x720 \
        --wayland-display=wayland-gnome >"$dir/shell.log" 2>&1 &
    OVELIN_GNOME_SHELL_PID=$!
    OVELIN_GNOME_DISPLAY=""
    # Ready when the extension has taken its name on the bus.
    ovelin_session_wait_ready "$dir/wayland-gnome" "$OVELIN_GNOME_DBUS" app.ovelin.Shell "$OVELIN_GNOME_SHELL_PID" 60 &&
        OVELIN_GNOME_DISPLAY=$dir/wayland-gnome
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
    [ -n "${OVELIN_GNOME_SHELL_PID:-}" ] && ovelin_session_wait_exit "$OVELIN_GNOME_SHELL_PID"
    [ -n "${OVELIN_GNOME_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_GNOME_RUNTIME_DIR"
    OVELIN_GNOME_SHELL_PID="" OVELIN_GNOME_DBUS_PID="" OVELIN_GNOME_SYSTEM_DBUS_PID="" OVELIN_GNOME_RUNTIME_DIR=""
    true
}
