#!/usr/bin/env bash
# Starts Zelventa on a virtual X display, opens the main window, the About
# box, the export options and the JPEG quality dialog, and saves a PNG of
# each (default folder: help/screenshots, which the help page and the
# README show). Needs xvfb, xdotool and ImageMagick (scripts/deps.sh).
#   scripts/screenshot.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-help/screenshots}")
bin=$(realpath build/app/zelventa)

if [ -z "${ZV_SHOT_INSIDE:-}" ]; then
    export ZV_SHOT_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$out"
fi

mkdir -p "$out"
config=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$config"' EXIT
# A profile as a user would have it after a first export.
mkdir -p "$config/zelventa"
cat >"$config/zelventa/zelventa.ini" <<'INI'
[Export Option]
SaveFolder=/home/user/Pictures/Captioned
SavePrifix=Holiday
SaveFormat=1
JpegQuality=85
XResolution=300
YResolution=300
ResizeImage=1
ResizeWidth=1600
ResizeHeight=1200
Unit=0
AllowStretch=0
AspectRatio=1
RestrictWidth=1
RestrictHeight=0
Quality=2
INI
export XDG_CONFIG_HOME=$config
# Prints the start-up time to a shown main window for the benchmark.
start=$(date +%s.%N)
"$bin" &
pid=$!

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shoot() { sleep 0.6; import -window "$1" "$out/$2.png"; echo "saved $out/$2.png"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# Centre of a button of the main window counted from the right (0 = Quit),
# from the layout: 84 x 28 buttons, 6 pixels from the right, 11 apart, 4 from the bottom.
button() {
    local geometry width height
    geometry=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p')
    width=${geometry%x*}
    height=${geometry#*x}
    echo "$((width - 6 - 42 - $1 * 95)) $((height - 4 - 14))"
}

main=$(window "Zelventa 1.00")
end=$(date +%s.%N)
echo "main window shown after $(echo "$end - $start" | bc) s"
shoot "$main" main

click "$main" $(button 1)
about=$(window "About Zelventa 1.00")
shoot "$about" about
xdotool key Escape
sleep 0.5

click "$main" $(button 3)
export_dialog=$(window "Export option")
shoot "$export_dialog" export
# Option sits to the right of the format list (JPEG is chosen in the profile).
click "$export_dialog" 395 286
quality=$(window "Quality")
shoot "$quality" quality
xdotool key Escape
sleep 0.3
xdotool key Escape
sleep 0.3
click "$main" $(button 0)
wait "$pid" || true
