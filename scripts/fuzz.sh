#!/usr/bin/env bash
# Fuzzes the history-file decoder for a bounded time (default 30 s) from the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work"/
# A fixed seed keeps the run repeatable: the same build explores the same inputs.
build-fuzz/tests/fuzz/fuzz_history_decoder -seed=1 -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$work/" "$work" >"$work/log" 2>&1 || {
    tail -n 40 "$work/log"
    for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do
        [ -e "$crash" ] && base64 "$crash"
    done
    exit 1
}
tail -n 6 "$work/log"
