#!/usr/bin/env bash
# Fuzzes the history-file decoder for a bounded time (default 30 s) from the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work"/
build-fuzz/tests/fuzz/fuzz_history_decoder -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 "$work" 2>&1 | tail -n 15
