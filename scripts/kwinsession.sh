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

source "$(dirname "${BASH_SOURCE[0]}")/session-common.sh"

ovelin_kwin_start() {
    local kwin
    kwin=$(command -v kwin_wayland) || { echo "kwin_wayland is not installed" >&2; return 1; }
    ovelin_session_user
    local user=$OVELIN_SESSION_USER as_user=("${OVELIN_AS_USER[@]}")
    OVELIN_KWIN_USER=$user
    OVELIN_KWIN_RUNTIME_DIR=$(mktemp -d /tmp/ovelin-kwin-XXXXXX)
    local dir=$OVELIN_KWIN_RUNTIME_DIR
    cp "$kwin" "$dir/kwin_wayland"
    # KWin's service cache notices new entries only in folders that existed when it was built.
    mkdir -p "$dir/.local/share/applications" "$dir/.config" "$dir/.cache"
    chown -R "$user:" "$dir"
    chmod 700 "$dir"
    ovelin_session_bus "$dir" OVELIN_KWIN_DBUS OVELIN_KWIN_DBUS_PID

    # KWin reads its configuration, the KDE service cache and the desktop entries from its home.
    "${as_user[@]}" env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir" DBUS_SESSION_BUS_ADDRESS="$OVELIN_KWIN_DBUS" \
        XDG_CONFIG_HOME="$dir/.config" XDG_DATA_HOME="$dir/.local/share" XDG_CACHE_HOME="$dir/.cache" \
        KWIN_COMPOSE=Q "$dir/kwin_wayland" --virtual --no-lockscreen --socket wayland-kwin \
        --width 1280 --height 720 >"$dir/compositor.log" 2>&1 &
    OVELIN_KWIN_PID=$!
    OVELIN_KWIN_DISPLAY=""
    # The socket comes first; the global shortcut service once KWin is fully up.
    ovelin_session_wait_ready "$dir/wayland-kwin" "$OVELIN_KWIN_DBUS" org.kde.kglobalaccel "$OVELIN_KWIN_PID" 20 &&
        OVELIN_KWIN_DISPLAY=$dir/wayland-kwin
    if [ -z "$OVELIN_KWIN_DISPLAY" ]; then
        echo "Could not start KWin; see $dir/compositor.log" >&2
        return 1
    fi
    export OVELIN_KWIN_USER OVELIN_KWIN_RUNTIME_DIR OVELIN_KWIN_DISPLAY OVELIN_KWIN_DBUS
}

ovelin_kwin_stop() {
    # KWin goes first: it aborts when its bus disappears under it.
    [ -n "${OVELIN_KWIN_PID:-}" ] && kill "$OVELIN_KWIN_PID" 2>/dev/null
    [ -n "${OVELIN_KWIN_PID:-}" ] && ovelin_session_wait_exit "$OVELIN_KWIN_PID"
    [ -n "${OVELIN_KWIN_DBUS_PID:-}" ] && kill "$OVELIN_KWIN_DBUS_PID" 2>/dev/null
    [ -n "${OVELIN_KWIN_RUNTIME_DIR:-}" ] && rm -rf "$OVELIN_KWIN_RUNTIME_DIR"
    OVELIN_KWIN_PID="" OVELIN_KWIN_DBUS_PID="" OVELIN_KWIN_RUNTIME_DIR="" OVELIN_KWIN_DISPLAY=""
    true
}
