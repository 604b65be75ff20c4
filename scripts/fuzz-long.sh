#!/usr/bin/env bash
# fuzz-long.sh SECONDS [TARGET...]: longer fuzz runs by hand, one after the
# other, keeping the grown corpus in build-fuzz/long-corpus/TARGET and any
# finding in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZV_FUZZ=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(ls fuzz/corpus)
fi
# Only what is run is built: the machine is shared.
cmake --build build-fuzz --target "${targets[@]}" >/dev/null
mkdir -p build-fuzz/findings
for t in "${targets[@]}"; do
    corpus=build-fuzz/long-corpus/$t
    mkdir -p "$corpus"
    cp -rn "fuzz/corpus/$t/." "$corpus/" 2>/dev/null || true
    echo "== $t for ${seconds}s"
    "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=2560 \
        -artifact_prefix="build-fuzz/findings/$t-" -print_final_stats=1 "$corpus" 2>&1 |
        grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' || true
done
