#!/usr/bin/env bash
# Builds and runs every test: the normal build, the sanitizer build, and a bounded fuzzing run.
# Tests that need a real X server run on a private Xvfb with openbox, those that need Wayland
# on a private headless sway, and the KDE ones on a headless KWin.
set -euo pipefail
cd "$(dirname "$0")/.."
# Compiler cache entries stay valid across checkouts in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

scripts/deps.sh
jobs=$(nproc)

cmake --preset default >/dev/null
cmake --build build -j "$jobs"
cmake --preset asan >/dev/null
cmake --build build-asan -j "$jobs"
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_history_decoder fuzz_encrypted_history fuzz_settings_reader

source scripts/xsession.sh
source scripts/wlsession.sh
source scripts/gnomesession.sh
source scripts/kwinsession.sh
# Whatever ends the script, a session that failed to start or Ctrl+C included, every session
# started below is stopped; each stop does nothing for a session that never started.
bus_pid=""
stop_sessions() {
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
    bus_pid=""
    ovelin_wl_stop
    ovelin_gnome_stop
    ovelin_kwin_stop
    ovelin_x_stop
}
trap stop_sessions EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
ovelin_x_start
ovelin_wl_start sway
# GNOME: a headless GNOME Shell with Ovelin's extension from the build tree (scripts/as-gnome-user.sh).
ovelin_gnome_start build
# The KDE cases (tst_kwin_app, the conformance suite on KWin) on a headless KWin of their own
# (scripts/as-kwin-user.sh runs them there).
ovelin_kwin_start
# A session bus of the tests' own: the Ovelins they start never reach the developer's, and it
# activates nothing installed on the machine (the system's session.conf would).
bus=$(dbus-daemon --config-file=scripts/session-bus.conf --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
bus_pid=${bus##*$'\n'}

status=0
echo "== tests =="
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE slow || status=1
echo "== fuzzing the history-file decoders and the settings reader (30 s each) =="
scripts/fuzz.sh 30 || status=1

if [ "$status" -eq 0 ]; then echo "All test suites passed"; else echo "Some tests failed"; fi
exit "$status"
