#!/usr/bin/env bash
# CPU time of the clipboard monitor over a minute, with (a) a short text and (b) a 12 MB PNG held
# on the clipboard by xclip, read from /proc/<pid>/stat. Goal: under 0.5 % of one core.
#
#   bench/monitor_cpu.sh <build dir> [seconds] [program ...]
# Without a program, the build's bench_monitor_cpu harness is measured; with one (for example
# the built ovelin), that program is started instead, in a throw-away HOME. Starts a private
# Xvfb when DISPLAY is not set.
set -euo pipefail

build=${1:?build directory}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
here=$(cd "$(dirname "$0")" && pwd)
harness="$build/bench/bench_monitor_cpu"

work=$(mktemp -d)
cleanup() {
    rm -rf "$work"
    if declare -F ovelin_x_stop >/dev/null; then ovelin_x_stop; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    # shellcheck source=../scripts/xsession.sh
    source "$here/../scripts/xsession.sh"
    ovelin_x_start
fi

printf 'Copied text for the benchmark' > "$work/short.txt"
"$harness" --make-png "$work/big.png"
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() {
    local label=$1 target=$2 file=$3
    xclip -quiet -selection clipboard -t "$target" -i "$file" 2>/dev/null &
    local xclip_pid=$!
    sleep 0.5
    if [ $# -gt 3 ]; then
        shift 3
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
            XDG_CACHE_HOME="$work/home/.cache" "$@" >/dev/null 2>&1 &
    else
        "$harness" $((seconds + 10)) >/dev/null 2>&1 &
    fi
    local pid=$!
    # Warm-up: the first capture transfers and saves the content once.
    sleep 4
    local before after
    before=$(cpu_ticks "$pid")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    kill "$pid" "$xclip_pid" 2>/dev/null || true
    wait "$pid" "$xclip_pid" 2>/dev/null || true
    awk -v l="$label" -v d=$((after - before)) -v t="$ticks" -v s="$seconds" -v b="$(stat -c %s "$file")" \
        'BEGIN { printf "%-28s %8d bytes  cpu %.2f s over %d s = %.3f %% of one core\n", l, b, d / t, s, 100 * d / t / s }'
}

mkdir -p "$work/home"
measure "short text" UTF8_STRING "$work/short.txt" "$@"
measure "12 MB PNG" image/png "$work/big.png" "$@"
