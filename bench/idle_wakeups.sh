#!/usr/bin/env bash
# How often the real ovelin's main thread wakes up while nothing happens: its voluntary context
# switches (/proc/<pid>/task/<pid>/status) over a quiet stretch, with a short text held on the
# clipboard, the panel hidden, a session bus of its own and an analytics server that accepts every
# upload. Prints each run, the median and the median per minute. Goal: at most 2 a minute.
#
#   bench/idle_wakeups.sh <build dir> [runs] [seconds] [x11|sway|both] [executable]
# Runs on a private Xvfb with openbox, and on a private headless sway (as the user
# scripts/wlsession.sh picks). Give another build's executable to compare it with this one.
set -euo pipefail

build=$(cd "${1:?build directory}" && pwd)
runs=${2:-3}
seconds=${3:-60}
where=${4:-x11}
executable=${5:-$build/src/ovelin}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../scripts/xsession.sh
source "$here/../scripts/xsession.sh"
# shellcheck source=../scripts/wlsession.sh
source "$here/../scripts/wlsession.sh"

work=$(mktemp -d /tmp/ovelin-idle-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    ovelin_x_stop
    ovelin_wl_stop
    rm -rf "$work"
}
trap cleanup EXIT

# An ingestion server that takes every batch, so no upload waits for a retry.
python3 -c '
import http.server, sys
class Accept(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(200)
        self.send_header("Content-Length", "2")
        self.end_headers()
        self.wfile.write(b"{}")
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Accept)
print(server.server_address[1], flush=True)
server.serve_forever()
' >"$work/port" &
pids+=($!)
for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
analytics="http://127.0.0.1:$(head -1 "$work/port")/"

switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/task/$1/status"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: starts ovelin with the launcher given, waits for its start line, hides the panel and
# waits for it to settle (no switch for 12 s, longer than the analytics client's upload interval,
# or 60 s at most: the start's signals go out first), then counts.
measure() {
    local label=$1 run=$2
    shift 2
    local home="$work/home-$label-$run"
    mkdir -p "$home/config" "$home/data" "$home/cache"
    chmod -R 777 "$home"
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
        OVELIN_ANALYTICS_URL="$analytics" "$@" "$executable" >"$home/ovelin.log" 2>&1 &
    local pid=$!
    local started=""
    for _ in $(seq 1 300); do
        grep -q "Monitoramento da área de transferência iniciado" "$home/ovelin.log" 2>/dev/null && started=1 && break
        sleep 0.1
    done
    if [ -z "$started" ]; then
        echo "ovelin did not start; its output:" >&2
        cat "$home/ovelin.log" >&2
        kill "$pid" 2>/dev/null || true
        return 1
    fi
    # The panel comes up at the first start: hide it, as it is while nobody uses it.
    for _ in $(seq 1 50); do panel_visible && break; sleep 0.1; done
    local hidden=""
    for _ in $(seq 1 10); do
        sleep 1
        if ! panel_visible; then
            hidden=1
            break
        fi
        env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
            "$@" "$executable" --toggle >/dev/null 2>&1 || true
    done
    if [ -z "$hidden" ]; then
        echo "the panel did not hide" >&2
        kill "$pid" 2>/dev/null || true
        return 1
    fi
    local last quiet=0
    last=$(switches "$pid")
    for _ in $(seq 1 60); do
        sleep 1
        local now
        now=$(switches "$pid")
        if [ "$now" = "$last" ]; then quiet=$((quiet + 1)); else quiet=0; fi
        last=$now
        [ "$quiet" -ge 12 ] && break
    done
    local before after
    before=$(switches "$pid")
    sleep "$seconds"
    after=$(switches "$pid")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $((after - before))
}

report() {
    local label=$1
    shift
    local counts=()
    for run in $(seq 1 "$runs"); do
        counts+=("$(measure "$label" "$run" "$@")")
    done
    local med
    med=$(printf '%s\n' "${counts[@]}" | median)
    awk -v l="$label" -v c="${counts[*]}" -v m="$med" -v s="$seconds" \
        'BEGIN { printf "%-6s idle %d s, main-thread wake-ups per run: %s; median %g, %.1f a minute\n", l, s, c, m, 60 * m / s }'
}

echo "$executable, $runs runs"
if [ "$where" = x11 ] || [ "$where" = both ]; then
    ovelin_x_start
    bus=$(dbus-daemon --config-file="$here/../scripts/session-bus.conf" --fork --print-address=1 --print-pid=1)
    pids+=("${bus##*$'\n'}")
    printf 'Copied text for the benchmark' >"$work/short.txt"
    xclip -quiet -selection clipboard -t UTF8_STRING -i "$work/short.txt" 2>/dev/null &
    pids+=($!)
    panel_visible() { xdotool search --onlyvisible --classname '^ovelin$' >/dev/null 2>&1; }
    report x11 env -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS="${bus%%$'\n'*}" QT_QPA_PLATFORM=xcb
    ovelin_x_stop
fi
if [ "$where" = sway ] || [ "$where" = both ]; then
    ovelin_wl_start sway
    # The clipboard held by wl-copy, as the compositor's user.
    printf 'Copied text for the benchmark' | "$here/../scripts/as-wayland-user.sh" wl-copy
    panel_visible() {
        SWAYSOCK=$OVELIN_SWAYSOCK swaymsg -t get_tree 2>/dev/null |
            python3 -c 'import json, sys
def walk(n):
    if n.get("app_id") == "ovelin" and n.get("visible"): sys.exit(0)
    for c in n.get("nodes", []) + n.get("floating_nodes", []): walk(c)
walk(json.load(sys.stdin)); sys.exit(1)'
    }
    report sway "$here/../scripts/as-wayland-user.sh"
    ovelin_wl_stop
fi
