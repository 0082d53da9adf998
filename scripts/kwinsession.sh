#!/usr/bin/env bash
# Source this file: starts a private headless KWin (Plasma's compositor, virtual backend) with a
# session bus of its own, beside the sway of scripts/wlsession.sh. Runs as the same unprivileged
# user. Debian's kwin_wayland carries a file capability (CAP_SYS_NICE) that an unprivileged user
# in a container cannot take, so a plain copy of the executable runs instead.
# Exports OVELIN_KWIN_DISPLAY (the socket's absolute path), OVELIN_KWIN_RUNTIME_DIR and
# OVELIN_KWIN_DBUS; scripts/as-kwin-user.sh runs a client there. KWin's home is its runtime
# folder, so a desktop entry in $OVELIN_KWIN_RUNTIME_DIR/.local/share/applications is KWin's:
# KWin offers org_kde_kwin_fake_input and org_kde_plasma_window_management only to a client whose
# executable is the absolute Exec (first word, symbolic links resolved; a bare name never
# matches) of an entry listing them in X-KDE-Wayland-Interfaces.
# Usage: ovelin_kwin_start; ovelin_kwin_stop.

ovelin_kwin_start() {
    local kwin
    kwin=$(command -v kwin_wayland) || { echo "kwin_wayland is not installed" >&2; return 1; }
    local user
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        user=ovelin-test
        id "$user" >/dev/null 2>&1 || useradd --system --create-home --shell /usr/sbin/nologin "$user"
    fi
    OVELIN_KWIN_USER=$user
    OVELIN_KWIN_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-kwin-XXXXXX)
    local dir=$OVELIN_KWIN_RUNTIME_DIR
    cp "$kwin" "$dir/kwin_wayland"
    # KWin's service cache notices new entries only in folders that existed when it was built.
    mkdir -p "$dir/.local/share/applications" "$dir/.config" "$dir/.cache"
    cp "$(dirname "${BASH_SOURCE[0]}")/session-bus.conf" "$dir/session-bus.conf"
    chmod 644 "$dir/session-bus.conf"
    chown -R "$user:" "$dir"
    chmod 700 "$dir"
    local as_user=()
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid="$user" --regid="$user" --init-groups)

    local bus
    bus=$("${as_user[@]}" env XDG_RUNTIME_DIR="$dir" dbus-daemon --config-file="$dir/session-bus.conf" --fork \
        --print-address=1 --print-pid=1)
    OVELIN_KWIN_DBUS=${bus%%$'\n'*}
    OVELIN_KWIN_DBUS_PID=${bus##*$'\n'}

    # KWin reads its configuration, the KDE service cache and the desktop entries from its home.
    "${as_user[@]}" env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir" DBUS_SESSION_BUS_ADDRESS="$OVELIN_KWIN_DBUS" \
        XDG_CONFIG_HOME="$dir/.config" XDG_DATA_HOME="$dir/.local/share" XDG_CACHE_HOME="$dir/.cache" \
        KWIN_COMPOSE=Q "$dir/kwin_wayland" --virtual --no-lockscreen --socket wayland-kwin \
        --width 1280 --height 720 >"$dir/compositor.log" 2>&1 &
    OVELIN_KWIN_PID=$!
    OVELIN_KWIN_DISPLAY=""
    for _ in $(seq 1 200); do
        # The socket comes first; the global shortcut service once KWin is fully up.
        if [ -S "$dir/wayland-kwin" ] && DBUS_SESSION_BUS_ADDRESS=$OVELIN_KWIN_DBUS "${as_user[@]}" \
            dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
            string:org.kde.kglobalaccel 2>/dev/null | grep -q 'boolean true'; then
            OVELIN_KWIN_DISPLAY=$dir/wayland-kwin
            break
        fi
        kill -0 "$OVELIN_KWIN_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$OVELIN_KWIN_DISPLAY" ]; then
        echo "Could not start KWin; see $dir/compositor.log" >&2
        return 1
    fi
    export OVELIN_KWIN_USER OVELIN_KWIN_RUNTIME_DIR OVELIN_KWIN_DISPLAY OVELIN_KWIN_DBUS
}

ovelin_kwin_stop() {
    # KWin goes first: it aborts when its bus disappears under it.
    [ -n "${OVELIN_KWIN_PID:-}" ] && kill "$OVELIN_KWIN_PID" 2>/dev/null
    if [ -n "${OVELIN_KWIN_PID:-}" ]; then
        for _ in $(seq 1 50); do
            kill -0 "$OVELIN_KWIN_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    [ -n "${OVELIN_KWIN_DBUS_PID:-}" ] && kill "$OVELIN_KWIN_DBUS_PID" 2>/dev/null
    [ -n "${OVELIN_KWIN_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_KWIN_RUNTIME_DIR"
    OVELIN_KWIN_PID="" OVELIN_KWIN_DBUS_PID="" OVELIN_KWIN_RUNTIME_DIR="" OVELIN_KWIN_DISPLAY=""
    true
}
