#!/usr/bin/env bash
# pngtif_bench.sh [PNGTIF_BENCH_BINARY] [PICTURE]
#
# Saves and loads one 12-megapixel picture as PNG and as TIFF (JPEG, LZW
# with predictor, uncompressed) with our codecs and with ImageMagick's
# `convert` in the same run, one thread each, and prints the ratios of the
# medians (ours / ImageMagick; below 1 means faster). Without a picture, the
# shared benchmark corpus maker's camera-like 4000 x 3000 PNG is made.
# On a shared machine compare processor time: ImageMagick's is measured as
# its child-process time, and its figures include starting the process
# ("baseline" is that start plus reading its own cache format).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/deps.sh" bench
bin=${1:-$here/../build-bench/bench/pngtif_bench}
file=${2:-}
if [ -z "$file" ]; then
    dir=${TMPDIR:-/tmp}/zv-pngtif-bench-corpus
    file=$dir/png-01.png
    [ -f "$file" ] || "$here/../../shared/bench/make-corpus.sh" "$dir" 0 0 1 0
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT
ZV_BENCH_PICTURE=$file MAGICK_THREAD_LIMIT=1 "$bin" --benchmark_repetitions=${REPS:-3} \
    --benchmark_report_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json >&2
python3 - "$json" "$file" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
# Medians of the repetitions, or the single run when there is one.
pick = [r for r in runs if r.get("aggregate_name") == "median"] or runs
med = {r["run_name"].split("/iterations")[0]: r for r in pick}
base = med["BM_MagickBaseline"]
print(f"picture: {sys.argv[2]}")
print(f"ImageMagick start + cache read: wall {base['real_time']:.0f} ms, cpu {base['cpu_ms']:.0f} ms")
print("medians; ratio = ours / ImageMagick, below 1 is faster")
labels = ["PNG", "TIFF JPEG q90", "TIFF LZW+predictor", "TIFF uncompressed"]
for op in ["Save", "Load"]:
    for i, label in enumerate(labels):
        a, b = med[f"BM_Zv{op}/{i}"], med[f"BM_Magick{op}/{i}"]
        print(f"{op.lower()} {label:19s} wall {a['real_time']:7.0f} vs {b['real_time']:7.0f} ms"
              f" ({a['real_time'] / b['real_time']:.2f})  cpu {a['cpu_time']:7.0f} vs {b['cpu_ms']:7.0f} ms"
              f" ({a['cpu_time'] / b['cpu_ms']:.2f}; less start-up"
              f" {a['cpu_time'] / (b['cpu_ms'] - base['cpu_ms']):.2f})")
PY
