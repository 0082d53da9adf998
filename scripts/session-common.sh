#!/usr/bin/env bash
# Source this file (scripts/wlsession.sh, kwinsession.sh and gnomesession.sh do): what their
# private sessions share.

# The user a session runs as. Compositors refuse to run as root, so a root caller gets the
# unprivileged user "ovelin-test", created on first use. Sets OVELIN_SESSION_USER and
# OVELIN_AS_USER, the command prefix that runs a program as that user (empty for anyone but root).
ovelin_session_user() {
    OVELIN_SESSION_USER=$(id -un)
    OVELIN_AS_USER=()
    if [ "$(id -u)" -eq 0 ]; then
        OVELIN_SESSION_USER=ovelin-test
        id "$OVELIN_SESSION_USER" >/dev/null 2>&1 ||
            useradd --system --create-home --shell /usr/sbin/nologin "$OVELIN_SESSION_USER"
        OVELIN_AS_USER=(setpriv --reuid="$OVELIN_SESSION_USER" --regid="$OVELIN_SESSION_USER" --init-groups)
    fi
}

# Usage: ovelin_session_bus <runtime folder> <address variable> <pid variable>
# Starts a bus as the session's user that activates nothing installed on the machine (a desktop
# portal would claim the shortcut); its configuration is copied where that user can read it.
ovelin_session_bus() {
    local ovelin_runtime=$1 ovelin_bus
    cp "$(dirname "${BASH_SOURCE[0]}")/session-bus.conf" "$ovelin_runtime/session-bus.conf"
    chmod 644 "$ovelin_runtime/session-bus.conf"
    ovelin_bus=$("${OVELIN_AS_USER[@]}" env XDG_RUNTIME_DIR="$ovelin_runtime" dbus-daemon \
        --config-file="$ovelin_runtime/session-bus.conf" --fork --print-address=1 --print-pid=1)
    printf -v "$2" '%s' "${ovelin_bus%%$'\n'*}"
    printf -v "$3" '%s' "${ovelin_bus##*$'\n'}"
}

# Waits up to five seconds for a process to end.
ovelin_session_wait_exit() {
    for _ in $(seq 1 50); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
}

# Usage: ovelin_session_wait_ready <socket> <bus address> <bus name> <compositor pid> <seconds>
# Waits until the compositor's socket is there and the name has an owner on the session's bus;
# fails when the compositor ends first or the seconds run out.
ovelin_session_wait_ready() {
    for _ in $(seq 1 $(($5 * 10))); do
        if [ -S "$1" ] && DBUS_SESSION_BUS_ADDRESS=$2 "${OVELIN_AS_USER[@]}" dbus-send --session --print-reply \
            --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner "string:$3" 2>/dev/null |
            grep -q 'boolean true'; then
            return 0
        fi
        kill -0 "$4" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
