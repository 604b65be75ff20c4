#!/usr/bin/env bash
# thumb_list_bench.sh CORPUS [BUILD]
#
# Thumbnails of the camera-like corpus (../../shared/bench/make-corpus.sh):
# the browser's cold pass and reopening from its cache against djpeg -scale
# 1/8 and vipsthumbnail -s 95 over the same 28 JPEGs in the same run; the
# same on a 500-picture folder (hard links); the first screen of a folder of
# 10,000 files. Work folders go under TMPDIR (default /tmp).
set -euo pipefail
corpus=${1:?usage: thumb_list_bench.sh CORPUS [BUILD]}
build=${2:-$(dirname "$0")/../build}
bench=$build/bench/thumb_list_bench
work=$(mktemp -d "${TMPDIR:-/tmp}/zv-thumbs-XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/28" "$work/500" "$work/10000" "$work/peers"
jpegs=("$corpus"/*.jpg)
cp "${jpegs[@]}" "$work/28/"
n500=${N500:-500}   # N500=0 skips the long pass over 500 pictures
for i in $(seq 0 $((n500 - 1))); do ln "${jpegs[$((i % ${#jpegs[@]}))]}" "$work/500/p$(printf %04d "$i").jpg"; done
for i in $(seq 0 9999); do ln "${jpegs[$((i % ${#jpegs[@]}))]}" "$work/10000/p$(printf %05d "$i").jpg"; done

ms() { echo $(( $(date +%s%N) / 1000000 )); }
# CPU seconds (user + system) and peak memory of a command, beside its own output.
cpu() { /usr/bin/time -f "  cpu %U s user + %S s system, peak %M KiB" "$@"; }

echo "== 28 JPEGs of 12 MP =="
export QT_QPA_PLATFORM=offscreen
cpu "$bench" cold "$work/28"
cpu "$bench" reopen "$work/28"
t0=$(ms); cpu bash -c 'for f in "$0"/28/*.jpg; do djpeg -scale 1/8 "$f" > /dev/null; done' "$work"; t1=$(ms)
echo "djpeg -scale 1/8: $((t1 - t0)) ms for ${#jpegs[@]} pictures ($(( (t1 - t0) / ${#jpegs[@]} )) ms each)"
if command -v vipsthumbnail > /dev/null; then
    t0=$(ms); VIPS_CONCURRENCY=1 cpu vipsthumbnail -s 95 -o "$work/peers/%s.jpg" "$work"/28/*.jpg; t1=$(ms)
    echo "vipsthumbnail -s 95: $((t1 - t0)) ms for ${#jpegs[@]} pictures ($(( (t1 - t0) / ${#jpegs[@]} )) ms each)"
fi
if [ "$n500" -gt 0 ]; then
    echo "== $n500 pictures =="
    cpu "$bench" cold "$work/500"
    cpu "$bench" reopen "$work/500"
fi
echo "== 10,000 files =="
cpu "$bench" screen "$work/10000"
