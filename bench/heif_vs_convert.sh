#!/usr/bin/env bash
# heif_vs_convert.sh [BUILD]
#
# HEIF against its reference tools, in one run:
#  1. one 12 MP HEIC (a camera-like corpus picture through heif-enc, with a
#     320-pixel thumbnail as phones write) decoded by our reader, by the
#     libheif calls heif-convert makes (in process), and by heif-convert
#     itself writing Y4M (no colour conversion, no compression);
#  2. the browser's first pass over 28 phone-size HEIC files (cold, no
#     cache) against vipsthumbnail -s 95 on the same files.
# Work folders go under TMPDIR (default /tmp); ZV_SHARED names the shared
# folder with bench/make-corpus.sh (default: two levels above bench/).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/deps.sh" bench
build=${1:-$here/../build}
work=$(mktemp -d "${TMPDIR:-/tmp}/zv-heif-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
corpus=${TMPDIR:-/tmp}/zv-heif-bench-corpus
shared=${ZV_SHARED:-$here/../../shared}
[ -f "$corpus/land-01.jpg" ] || "$shared/bench/make-corpus.sh" "$corpus" 3 1 0 0 >/dev/null

ms() { echo $(($(date +%s%N) / 1000000)); }
cpu() { /usr/bin/time -f "  cpu %U s user + %S s system, peak %M KiB" "$@"; }

# Four distinct pictures, each seven times under its own name: the cost per
# file is the same, the encoder's time is not.
mkdir -p "$work/28" "$work/peers"
i=0
for f in "$corpus"/land-0[1-3].jpg "$corpus"/port-01.jpg; do
    heif-enc -q 80 -t 320 "$f" -o "$work/src-$i.heic" >/dev/null
    for k in 1 2 3 4 5 6 7; do cp "$work/src-$i.heic" "$work/28/p$i-$k.heic"; done
    i=$((i + 1))
done
one=$work/src-0.heic
echo "file: $(heif-info "$one" | sed -n 's/^image: \([0-9x]*\).*/\1/p' | head -1), $(stat -c %s "$one") bytes"

echo "== decoding one 12 MP HEIC =="
ZV_BENCH_HEIF=$one "$build/bench/heif_bench" --benchmark_repetitions=${REPS:-5} \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median|mean'
t0=$(ms)
for r in 1 2 3 4 5; do heif-convert "$one" "$work/out.y4m" >/dev/null; done
t1=$(ms)
echo "heif-convert to Y4M: $(((t1 - t0) / 5)) ms each (with process start and writing)"

echo "== the browser's first pass over 28 HEIC files =="
export QT_QPA_PLATFORM=offscreen
cpu "$build/bench/thumb_list_bench" cold "$work/28"
if command -v vipsthumbnail >/dev/null; then
    t0=$(ms)
    VIPS_CONCURRENCY=1 cpu vipsthumbnail -s 95 -o "$work/peers/%s.jpg" "$work"/28/*.heic
    t1=$(ms)
    echo "vipsthumbnail -s 95: $((t1 - t0)) ms for 28 pictures ($(((t1 - t0) / 28)) ms each)"
fi
