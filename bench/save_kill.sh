#!/usr/bin/env bash
# The kill test at length: 200 rounds (or the number given) of SIGKILL in the middle of history
# saves; prints how many files were checked, broken or shortened (goal: zero of both).
#
#   bench/save_kill.sh <build dir> [rounds]
set -euo pipefail
build=${1:?build directory}
rounds=${2:-200}
cmake --build "$build" --target tst_savekill >/dev/null
OVELIN_KILL_ROUNDS="$rounds" QT_QPA_PLATFORM=offscreen "$build/tests/history/tst_savekill" 2>&1 |
    grep -E "kill rounds:|^(PASS|FAIL)|Totals"
