#!/usr/bin/env bash
# make-samples.sh [DIR]: a few deterministic sample pictures (generated with
# ImageMagick, nothing downloaded) for trying the programs: camera-like
# JPEGs in landscape and portrait, and one picture in each other format.
set -euo pipefail
dir=${1:-samples}
mkdir -p "$dir"

scene() {   # scene WIDTH HEIGHT OUT [extra convert options...]
    local w=$1 h=$2 out=$3
    shift 3
    convert -size "${w}x${h}" gradient:'#4a7bd0-#f3d9a4' \
        -fill '#2f6b2f' -draw "rectangle 0,$((h * 3 / 4)) $w,$h" \
        -fill '#f7e65c' -draw "circle $((w * 3 / 4)),$((h / 5)) $((w * 3 / 4 + h / 12)),$((h / 5))" \
        -fill '#8b4a2b' -draw "rectangle $((w / 5)),$((h / 2)) $((w / 5 + w / 8)),$((h * 3 / 4))" \
        -fill '#c0392b' -draw "polygon $((w / 5 - w / 40)),$((h / 2)) $((w / 5 + w / 16)),$((h * 2 / 5)) $((w / 5 + w / 8 + w / 40)),$((h / 2))" \
        "$@" "$out"
}

scene 1600 1200 "$dir/landscape.jpg" -quality 90 -density 72 -units PixelsPerInch
scene 900 1200 "$dir/portrait.jpg" -quality 90 -density 72 -units PixelsPerInch
scene 800 600 "$dir/garden.png" -define png:exclude-chunks=date,time
scene 640 480 "$dir/poster.gif" -colors 64
scene 640 480 "$dir/scan.bmp" -type TrueColor
scene 800 600 "$dir/page.tif" -compress lzw
echo "samples in $dir/"
