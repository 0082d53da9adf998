#!/usr/bin/env bash
# Fuzzes the history-file decoder, the encrypted history file's reader and the settings reader, each for a bounded time (default 30 s)
# from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fuzz() { # <target> <corpus folder>
    local target=$1 run="$work/$1"
    mkdir -p "$run/corpus"
    cp "$2"/* "$run/corpus/"
    # A fixed seed keeps the run repeatable: the same build explores the same inputs.
    "build-fuzz/tests/fuzz/$target" -seed=1 -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$run/" "$run/corpus" >"$run/log" 2>&1 || {
        echo "== $target failed =="
        tail -n 40 "$run/log"
        for crash in "$run"/crash-* "$run"/leak-* "$run"/timeout-*; do
            [ -e "$crash" ] && base64 "$crash"
        done
        status=1
        return
    }
    echo "== $target =="
    tail -n 6 "$run/log"
}
fuzz fuzz_history_decoder tests/fuzz/corpus
fuzz fuzz_encrypted_history tests/fuzz/encrypted_corpus
fuzz fuzz_settings_reader tests/fuzz/settings_corpus
exit "$status"
