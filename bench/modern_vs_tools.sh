#!/usr/bin/env bash
# modern_vs_tools.sh [BENCH_BINARY] [SOURCE_JPEG]
#
# Converts one 12-megapixel camera-like picture (made with the shared
# benchmark corpus maker when none is given) to WebP, AVIF and JPEG XL with
# the formats' reference encoders, then times our readers against dwebp,
# avifdec and djxl on those files and prints the ratios of the medians
# (ours / tool; below 1 is faster). avifdec must write a file (PNG, in
# /dev/shm); dwebp and djxl decode without writing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/deps.sh" bench
bin=${1:-$here/../build-bench/bench/modern_decode_bench}
src=${2:-}
dir=${TMPDIR:-/tmp}/zv-modern-bench
mkdir -p "$dir"
if [ -z "$src" ]; then
    src=$dir/land-01.jpg
    [ -f "$src" ] || "$here/../../shared/bench/make-corpus.sh" "$dir" 1 0 0 0
fi
convert "$src" "$dir/source.png"
[ -f "$dir/pic.webp" ] || cwebp -quiet -q 85 "$dir/source.png" -o "$dir/pic.webp"
[ -f "$dir/pic.avif" ] || avifenc -s 8 -j 2 "$dir/source.png" "$dir/pic.avif" >/dev/null
[ -f "$dir/pic.jxl" ] || cjxl -d 1 "$dir/source.png" "$dir/pic.jxl" 2>/dev/null
json=$(mktemp)
trap 'rm -f "$json" /dev/shm/zv-bench-avif.png' EXIT
ZV_BENCH_WEBP=$dir/pic.webp ZV_BENCH_AVIF=$dir/pic.avif ZV_BENCH_JXL=$dir/pic.jxl \
    "$bin" --benchmark_repetitions=${REPS:-5} --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json >&2
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {r["run_name"].replace("/real_time", ""): r for r in runs if r.get("aggregate_name") == "median"}
print("medians of a 12 MP picture; ratio = ours / tool, below 1 is faster")
for f in ("webp", "avif", "jxl"):
    a, b = med.get("decode/zv/" + f), med.get("decode/tool/" + f)
    if not a or not b:
        continue
    print(f"{f:5s} wall {a['real_time']:7.1f} vs {b['real_time']:7.1f} ms ({a['real_time'] / b['real_time']:.3f})"
          f"  cpu {a['cpu_time']:7.1f} vs {b['tool_cpu_ms']:7.1f} ms ({a['cpu_time'] / b['tool_cpu_ms']:.3f})")
PY
