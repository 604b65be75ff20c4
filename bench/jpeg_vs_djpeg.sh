#!/usr/bin/env bash
# jpeg_vs_djpeg.sh [JPEG_BENCH_BINARY] [JPEG_FILE]
#
# Decodes and encodes a 12-megapixel camera-like JPEG with our codec and with
# libjpeg-turbo's djpeg/cjpeg in the same run, and prints the ratios of the
# medians (ours / theirs; below 1 means faster). Without a file, one is made
# with the shared benchmark corpus maker (4000 x 3000, quality 92, 4:2:0).
# The tools' times include starting a process; "start/djpeg" shows that share,
# and the ratios are given both ways.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/deps.sh" bench
bin=${1:-$here/../build-bench/bench/jpeg_bench}
file=${2:-}
if [ -z "$file" ]; then
    dir=${TMPDIR:-/tmp}/zv-jpeg-bench-corpus
    file=$dir/land-01.jpg
    [ -f "$file" ] || "$here/../../shared/bench/make-corpus.sh" "$dir" 1 0 0 0
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT
ZV_BENCH_JPEG=$file "$bin" --benchmark_repetitions=${REPS:-9} --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json >&2
python3 - "$json" "$file" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {r["run_name"].replace("/real_time", ""): r for r in runs if r.get("aggregate_name") == "median"}
start = med["start/djpeg"]
print(f"file: {sys.argv[2]}")
print(f"process start (djpeg on 8x8): wall {start['real_time']:.1f} ms, cpu {start['tool_cpu_ms']:.1f} ms")
print("medians; ratio = ours / tool, below 1 is faster")
for what, ours, theirs in [("decode full", "decode/zv/1", "decode/djpeg/1"),
                           ("decode 1/8", "decode/zv/8", "decode/djpeg/8"),
                           ("encode q90", "encode/zv", "encode/cjpeg")]:
    a, b = med[ours], med[theirs]
    wall = a["real_time"] / b["real_time"]
    cpu = a["cpu_time"] / b["tool_cpu_ms"]
    cpu_net = a["cpu_time"] / (b["tool_cpu_ms"] - start["tool_cpu_ms"])
    print(f"{what:12s} wall {a['real_time']:6.1f} vs {b['real_time']:6.1f} ms ({wall:.3f})"
          f"  cpu {a['cpu_time']:6.1f} vs {b['tool_cpu_ms']:6.1f} ms ({cpu:.3f};"
          f" tool less start-up {cpu_net:.3f})")
PY
