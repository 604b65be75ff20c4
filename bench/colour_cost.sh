#!/usr/bin/env bash
# colour_cost.sh [CORPUS] [BUILD]
#
# What colour management costs the captioning job of peers.sh: the same
# zelventa-batch run (one job, turn, caption, resize to height 600, JPEG 90)
# over the camera-like corpus as it is (no profile: no transform is built)
# and over a copy of it tagged Display P3 (the profile's APP2 segment put
# into each file, the compressed data untouched, so both decode the same
# bytes), RUNS times each (default 5), alternating. Prints the median CPU
# and wall milliseconds per picture of each and their ratio.
#
# Run by hand; CORPUS and BUILD as for peers.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:-/work/benchcorpus}
build=${2:-$here/../build}
runs=${RUNS:-5}
batch=$build/app/zelventa-batch
[ -x "$batch" ] || { echo "no $batch: build it first" >&2; exit 2; }
if ! ls "$corpus"/land-*.jpg >/dev/null 2>&1; then
    "$here/../../shared/bench/make-corpus.sh" "$corpus"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Display P3 as a matrix-shaper profile, made with LittleCMS.
cat > "$work/p3.c" <<'C'
#include <lcms2.h>
int main(int argc, char **argv)
{
    cmsCIExyY white = {0.3127, 0.3290, 1};
    cmsCIExyYTRIPLE p = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve *c = cmsBuildParametricToneCurve(0, 4, srgb);
    cmsToneCurve *curves[3] = {c, c, c};
    return cmsSaveProfileToFile(cmsCreateRGBProfile(&white, &p, curves), argv[1]) ? 0 : 1;
}
C
cc -O2 -o "$work/p3" "$work/p3.c" -llcms2
"$work/p3" "$work/p3.icc"

mkdir -p "$work/plain" "$work/p3copy" "$work/out"
python3 - "$work/p3.icc" "$work/p3copy" "$corpus"/land-*.jpg "$corpus"/port-*.jpg <<'PY'
import os, struct, sys
icc = open(sys.argv[1], 'rb').read()
segment = b'\xff\xe2' + struct.pack('>H', 2 + 14 + len(icc)) + b'ICC_PROFILE\0\x01\x01' + icc
for path in sys.argv[3:]:
    data = open(path, 'rb').read()
    at = 2
    if data[2:4] == b'\xff\xe0':   # after the JFIF segment, where readers expect it
        at = 4 + struct.unpack('>H', data[4:6])[0]
    out = data[:at] + segment + data[at:]
    open(os.path.join(sys.argv[2], os.path.basename(path)), 'wb').write(out)
PY
ls "$corpus"/land-*.jpg "$corpus"/port-*.jpg > "$work/plain.list"
ls "$work"/p3copy/*.jpg > "$work/p3.list"
count=$(wc -l < "$work/plain.list")

run() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$batch" --jobs 1 --list "$1" --folder "$work/out" \
        --keep-names --format jpeg --jpeg-quality 90 --dpi 72 --resize 0,600 --keep-aspect by-height \
        --text "Zelventa 2026" --font "Liberation Sans" --font-height -130 --text-color ffffff \
        --back-color 202020 --anchor bottom-right --offsets 1550,250,50,50 --overwrite yes >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; exit 1; }
    awk -v n="$count" '{printf "%.1f %.1f\n", ($2 + $3) * 1000 / n, $1 * 1000 / n}' "$work/time"
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

: > "$work/plain.cpu"; : > "$work/p3.cpu"; : > "$work/plain.wall"; : > "$work/p3.wall"
for ((i = 0; i < runs; i++)); do
    for kind in plain p3; do
        read -r cpu wall < <(run "$work/$kind.list")
        echo "$cpu" >> "$work/$kind.cpu"
        echo "$wall" >> "$work/$kind.wall"
    done
done
plain=$(median < "$work/plain.cpu") p3=$(median < "$work/p3.cpu")
echo "corpus: $corpus ($count pictures), $runs runs each, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '| %-22s | %12s | %13s |\n' "input" "CPU ms/pic" "wall ms/pic"
printf '| %-22s | %12s | %13s |\n' "untagged" "$plain" "$(median < "$work/plain.wall")"
printf '| %-22s | %12s | %13s |\n' "tagged Display P3" "$p3" "$(median < "$work/p3.wall")"
awk -v a="$plain" -v b="$p3" 'BEGIN {printf "ratio (CPU): %.3f\n", b / a}'
