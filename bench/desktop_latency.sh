#!/usr/bin/env bash
# Copy → captured, shortcut → panel and Return → paste keys for the real ovelin on a private
# headless sway, KWin (Ovelin installed into KWin's home, as tst_kwin_app does) and, when asked,
# GNOME Shell with Ovelin's extension, with each median's ratio to sway's. Each desktop is
# started, measured by bench_desktop_latency and stopped in turn.
#
#   bench/desktop_latency.sh <build dir> [repetitions] [desktops: "sway kwin", or with gnome]
set -euo pipefail

build=$(cd "${1:?build directory}" && pwd)
repetitions=${2:-15}
desktops=${3:-sway kwin}
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../scripts
bench=$build/bench/bench_desktop_latency
[ -x "$bench" ] || { echo "build $bench first (the test command builds it)" >&2; exit 1; }
# shellcheck source=../scripts/wlsession.sh
source "$scripts/wlsession.sh"
# shellcheck source=../scripts/kwinsession.sh
source "$scripts/kwinsession.sh"
# shellcheck source=../scripts/gnomesession.sh
source "$scripts/gnomesession.sh"

work=$(mktemp -d /tmp/ovelin-latency-XXXXXX)
ovelin_session_user
chown "$OVELIN_SESSION_USER:" "$work" # the sessions' user appends its medians here
results=$work/results
cleanup() {
    ovelin_wl_stop
    ovelin_kwin_stop
    ovelin_gnome_stop
    rm -rf "$work"
}
trap cleanup EXIT

for desktop in $desktops; do
    case $desktop in
    sway)
        ovelin_wl_start sway
        "$scripts/as-wayland-user.sh" "$bench" "$repetitions" "$results" || echo "sway: the bench failed" >&2
        ovelin_wl_stop
        ;;
    kwin)
        ovelin_kwin_start
        cmake --install "$build" --prefix "$OVELIN_KWIN_RUNTIME_DIR/.local" >/dev/null
        "$scripts/as-kwin-user.sh" "$bench" "$repetitions" "$results" || echo "kwin: the bench failed" >&2
        ovelin_kwin_stop
        ;;
    gnome)
        ovelin_gnome_start "$build"
        "$scripts/as-gnome-user.sh" "$bench" "$repetitions" "$results" || echo "gnome: the bench failed" >&2
        ovelin_gnome_stop
        ;;
    *) echo "unknown desktop: $desktop" >&2 ;;
    esac
done

echo "medians over $repetitions repetitions:"
[ -f "$results" ] && awk '
    { desktop[NR] = $1; measure[NR] = $2; value[NR] = $3; if ($1 == "sway") sway[$2] = $3 }
    END {
        for (i = 1; i <= NR; i++) {
            ratio = (desktop[i] != "sway" && measure[i] in sway && sway[measure[i]] > 0) ? sprintf(" (%.2f× sway)", value[i] / sway[measure[i]]) : ""
            printf "%-5s %-18s %8.1f ms%s\n", desktop[i], measure[i], value[i], ratio
        }
    }' "$results"
