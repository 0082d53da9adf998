#!/usr/bin/env bash
# Builds Ovelin and starts it. Without a display, Ovelin runs inside a private Xvfb with openbox.
set -euo pipefail
cd "$(dirname "$0")/.."
# Compiler cache entries stay valid across checkouts in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build build --target ovelin

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    source scripts/xsession.sh
    # Set first: an Xvfb whose openbox failed to start is stopped too.
    trap ovelin_x_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    ovelin_x_start
    echo "Ovelin runs on the virtual display ${DISPLAY} (for example: DISPLAY=${DISPLAY} xclip -selection clipboard)"
fi
build/src/ovelin
