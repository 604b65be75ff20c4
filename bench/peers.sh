#!/usr/bin/env bash
# peers.sh [CORPUS] [BUILD]
#
# The captioning job over the camera-like JPEGs of the shared benchmark
# corpus (24 of 4000 x 3000 and 4 portraits of 3000 x 4000), done by
# zelventa-batch and, in the same session, by ImageMagick, GraphicsMagick
# and libvips: load, turn the portraits by 90 degrees, stamp a 300 x 40
# #202020 box with 26 px white text 10 px from the bottom-right corner of
# the result, resize to height 600 keeping the aspect ratio, save JPEG
# quality 90 at 72 DPI. zelventa-batch draws the caption before the resize,
# as its export does, so it draws it five times as large.
#
# zelventa-batch runs with one job (one picture after the other) and with
# two (two worker threads make pictures ahead while the run writes them).
# Each other tool runs with one thread and with its default threading, RUNS times
# (default 3); the table gives the median wall time and CPU time (user +
# system, all threads) per picture and the largest peak resident memory of
# any of its processes (/usr/bin/time). On a busy machine the CPU column is
# the steadier one.
# One-process tools (zelventa-batch, the libvips driver) handle the whole
# batch; ImageMagick and GraphicsMagick run once per picture, as they would
# from a script, with and without their reduced-size JPEG decode hint.
#
# With FORMATS="heic webp" (by hand; not part of test.sh) the same job also
# runs over the corpus converted once to HEIC (heif-enc -q 80, kept in
# CORPUS/heic) and to WebP (cwebp -q 80, in CORPUS/webp), zelventa-batch
# against libvips only (its loader reads both); JPEG=0 leaves out the JPEG
# table. HEIF_PRESET passes an x265 preset to heif-enc (e.g. ultrafast on a
# busy machine: the encoder alone takes minutes per picture otherwise).
#
# CORPUS defaults to /work/benchcorpus (made with
# ../../shared/bench/make-corpus.sh when missing, about 3.5 minutes); BUILD to
# ../build-export-bench, which must hold app/zelventa-batch and, for the
# in-process figures, bench/export_bench.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/deps.sh" bench
corpus=${1:-/work/benchcorpus}
build=${2:-$here/../build-export-bench}
runs=${RUNS:-3}
batch=$build/app/zelventa-batch
font=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
text="Zelventa 2026"

[ -x "$batch" ] || { echo "no $batch: build it first (ninja -C $build zelventa-batch)" >&2; exit 2; }
if ! ls "$corpus"/land-*.jpg >/dev/null 2>&1; then
    "$here/../../shared/bench/make-corpus.sh" "$corpus"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"
cc -O2 -o "$work/vips_job" "$here/vips_job.c" $(pkg-config --cflags --libs vips)

land=("$corpus"/land-*.jpg)
port=("$corpus"/port-*.jpg)
count=$(( ${#land[@]} + ${#port[@]} ))

now() { date +%s%N; }

# timed CMD...: runs CMD under /usr/bin/time; adds its peak KiB to
# $work/peak and its user + system seconds to $work/cpu.
timed() {
    /usr/bin/time -f "%M %U %S" -o "$work/rss" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    awk '{print $1}' "$work/rss" >> "$work/peak"
    awk '{print $2 + $3}' "$work/rss" >> "$work/cpu"
}

# zelventa JOBS: the export with JOBS pictures made at once.
zelventa() {
    timed "$batch" --jobs "$1" --list "$work/list" --folder "$work/out" --keep-names --format jpeg --jpeg-quality 90 \
        --dpi 72 --resize 0,600 --keep-aspect by-height --text "$text" --font "Liberation Sans" \
        --font-height -130 --text-color ffffff --back-color 202020 --anchor bottom-right \
        --offsets 1550,250,50,50 --overwrite yes
}

exact() {
    (
        export ZV_BENCH_CORPUS=$corpus
        timed "$build/bench/export_bench" --benchmark_filter='/0/' --benchmark_min_time=5 \
            --benchmark_out="$work/exact.json"
    )
}

vips() {
    timed "$work/vips_job" "$work/out" "${land[@]}" --turn "${port[@]}"
}

# magick TOOL HINT: one process per picture.
magick() {
    local tool=$1 hint=$2 f turn size
    for f in "${land[@]}" "${port[@]}"; do
        case $f in */port-*) turn=(-rotate 90) size=600x800 ;; *) turn=() size=800x600 ;; esac
        if [ "$tool" = im ]; then
            timed convert ${hint:+-define jpeg:size=$size} "$f" "${turn[@]}" -resize x600 \
                -fill '#202020' -draw 'rectangle 490,550 789,589' -font "$font" -pointsize 26 -fill white \
                -gravity SouthEast -annotate +63+17 "$text" -density 72 -units PixelsPerInch -quality 90 \
                "$work/out/im.jpg"
        else
            timed gm convert ${hint:+-size $size} "$f" "${turn[@]}" -resize x600 \
                -fill '#202020' -draw 'rectangle 490,550 789,589' -font "$font" -pointsize 26 -fill white \
                -gravity SouthEast -draw "text 63,17 '$text'" -density 72x72 -units PixelsPerInch \
                -quality 90 "$work/out/gm.jpg"
        fi
    done
}

# median: the median of the numbers on stdin.
median() {
    sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'
}

# measure NAME THREADS CMD...: median wall and CPU ms per picture and the
# peak MiB over $runs runs.
measure() {
    local name=$1 threads=$2 ms=() cpu=() i t0
    shift 2
    : > "$work/peak"
    for ((i = 0; i < runs; i++)); do
        : > "$work/cpu"
        t0=$(now)
        "$@"
        ms+=("$(awk -v ns=$(( $(now) - t0 )) -v n=$count 'BEGIN {print ns / 1e6 / n}')")
        cpu+=("$(awk -v n=$count '{s += $1} END {print s * 1000 / n}' "$work/cpu")")
    done
    local peak
    peak=$(sort -n "$work/peak" | tail -1)
    printf '| %-44s | %-7s | %8.1f | %8.1f | %7.1f |\n' "$name" "$threads" "$(printf '%s\n' "${ms[@]}" | median)" \
        "$(printf '%s\n' "${cpu[@]}" | median)" "$(awk -v k="$peak" 'BEGIN {print k / 1024}')"
}

# one CMD...: CMD limited to one thread by each tool's own setting.
one() {
    (
        export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 VIPS_CONCURRENCY=1
        "$@"
    )
}

echo "corpus: $corpus ($count pictures), $runs runs, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
# converted FORMAT: the corpus in FORMAT (heic or webp), made once next to it.
converted() {
    local dir=$corpus/$1 f out
    mkdir -p "$dir"
    for f in "${jpegs[@]}"; do
        out=$dir/$(basename "${f%.jpg}").$1
        [ -s "$out" ] && continue
        if [ "$1" = heic ]; then
            heif-enc -q 80 ${HEIF_PRESET:+-p x265:preset=$HEIF_PRESET} "$f" -o "$out" >/dev/null
        else
            cwebp -quiet -q 80 "$f" -o "$out"
        fi
    done
}

# use EXTENSION: the job's pictures from here on (jpg: the corpus itself).
use() {
    local dir=$corpus
    [ "$1" = jpg ] || dir=$corpus/$1
    land=("$dir"/land-*."$1")
    port=("$dir"/port-*."$1")
    : > "$work/list"
    for f in "${land[@]}"; do printf '%s\t0\n' "$f" >> "$work/list"; done
    for f in "${port[@]}"; do printf '%s\t90\n' "$f" >> "$work/list"; done
}

header() {
    echo
    echo "$1"
    echo
    echo "| tool | threads | wall ms/picture | CPU ms/picture | peak MiB |"
    echo "|---|---|---|---|---|"
}

jpegs=("${land[@]}" "${port[@]}")
for tool in ${FORMATS:+heif-enc cwebp}; do
    command -v "$tool" >/dev/null || { echo "FORMATS needs $tool (libheif-examples, webp)" >&2; exit 2; }
done
for format in ${FORMATS:-}; do
    converted "$format"
done
for format in ${FORMATS:-}; do
    use "$format"
    header "From $format ($(du -sh "$corpus/$format" | cut -f1) for $count pictures), JPEG out:"
    measure "zelventa-batch --jobs 1" "1" zelventa 1
    measure "zelventa-batch --jobs 2" "2" zelventa 2
    measure "libvips in-process (vips_job.c)" "1" one vips
    measure "libvips in-process (vips_job.c)" "default" vips
done
[ "${JPEG:-1}" = 0 ] && exit 0
use jpg
header "From JPEG:"
measure "zelventa-batch --jobs 1" "1" zelventa 1
measure "zelventa-batch --jobs 2" "2" zelventa 2
measure "libvips in-process (vips_job.c)" "1" one vips
measure "libvips in-process (vips_job.c)" "default" vips
measure "ImageMagick convert per picture" "1" one magick im ""
measure "ImageMagick convert per picture" "default" magick im ""
measure "ImageMagick convert -define jpeg:size hint" "1" one magick im hint
measure "ImageMagick convert -define jpeg:size hint" "default" magick im hint
measure "GraphicsMagick gm convert per picture" "1" one magick gm ""
measure "GraphicsMagick gm convert per picture" "default" magick gm ""
measure "GraphicsMagick gm convert -size hint" "1" one magick gm hint
measure "GraphicsMagick gm convert -size hint" "default" magick gm hint
if [ -x "$build/bench/export_bench" ]; then
    echo
    echo "In process, full-size decode (the export without its reduced JPEG decode), one thread:"
    : > "$work/peak"
    : > "$work/cpu"
    exact
    python3 - "$work/exact.json" <<'PY'
import json, sys
b = json.load(open(sys.argv[1]))["benchmarks"][0]
print("%.1f ms/picture wall, %.1f ms cpu" % (b["real_time"], b["cpu_time"]))
PY
    echo "peak $(( $(sort -n "$work/peak" | tail -1) / 1024 )) MiB"
fi
