#!/usr/bin/env bash
# Source this file: starts a private Xvfb with openbox and exports DISPLAY.
# Call ovelin_x_stop (installed as an EXIT trap by the caller if wanted) to end both.

ovelin_x_start() {
    local n=${OVELIN_X_DISPLAY_NUM:-}
    if [ -z "$n" ]; then
        for n in $(seq 90 140); do
            [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
        done
    fi
    # -noreset: by default the server resets when its last client leaves, and a client connecting
    # meanwhile (openbox, right after the readiness probe below) is refused.
    Xvfb ":${n}" -screen 0 1920x1080x24 -nolisten tcp -noreset +extension XTEST +extension XInputExtension \
        >/tmp/ovelin-xvfb-${n}.log 2>&1 &
    OVELIN_XVFB_PID=$!
    export DISPLAY=":${n}"
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        echo "Could not start Xvfb on ${DISPLAY}" >&2
        return 1
    fi
    openbox >/tmp/ovelin-openbox-${n}.log 2>&1 &
    OVELIN_OPENBOX_PID=$!
    for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    # Tests that need window management would fail one by one for a reason they cannot name.
    echo "openbox did not start on ${DISPLAY}:" >&2
    cat "/tmp/ovelin-openbox-${n}.log" >&2
    return 1
}

ovelin_x_stop() {
    [ -n "${OVELIN_OPENBOX_PID:-}" ] && kill "$OVELIN_OPENBOX_PID" 2>/dev/null || true
    OVELIN_OPENBOX_PID=""
    [ -n "${OVELIN_XVFB_PID:-}" ] && kill "$OVELIN_XVFB_PID" 2>/dev/null || true
    # A new server on the same display number must not meet the old one still shutting down.
    if [ -n "${OVELIN_XVFB_PID:-}" ]; then
        for _ in $(seq 1 50); do
            kill -0 "$OVELIN_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        OVELIN_XVFB_PID=""
    fi
    true
}

# Starts Ovelin with HOME and the XDG folders inside <home>, analytics pointed at a dead local
# port, and waits until it watches the clipboard. Sets OVELIN_PID. Usage: ovelin_start <home> <exe>
ovelin_start() {
    HOME="$1" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" XDG_CACHE_HOME="$1/cache" \
        OVELIN_ANALYTICS_URL="http://127.0.0.1:9/" "$2" >"$1/ovelin.log" 2>&1 &
    OVELIN_PID=$!
    for _ in $(seq 1 100); do
        grep -q "Monitoramento da área de transferência iniciado" "$1/ovelin.log" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "Ovelin did not start; see $1/ovelin.log" >&2
    return 1
}

ovelin_stop() {
    [ -n "${OVELIN_PID:-}" ] || return 0
    kill "$OVELIN_PID" 2>/dev/null || true
    wait "$OVELIN_PID" 2>/dev/null || true
    OVELIN_PID=""
}
