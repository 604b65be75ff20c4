#!/usr/bin/env bash
# fuzz-run.sh TARGET SEEDS SECONDS: runs a libFuzzer target on a scratch copy
# of its seed corpus, so the checked-in seeds stay as they are.
set -euo pipefail
target=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
[ -d "$seeds" ] && cp -r "$seeds/." "$work/corpus/" 2>/dev/null || true
# The allocation limit is above the largest picture ZvImage::Create accepts
# (about 2.7 GB at 24 bits), which a header may ask for and is then left
# untouched; the resident-memory limit still catches real use.
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=3072 \
    -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" 2>&1 | tail -n 25
