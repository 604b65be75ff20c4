#!/usr/bin/env bash
# Installs what is missing, builds, then starts Zelventa. Until the window
# exists (or without a display), shows what the command-line tools do on a
# few generated sample pictures and writes the results into ./out.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [ -x build/app/zelventa ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/app/zelventa "$@"
fi

[ -d samples ] || scripts/make-samples.sh samples >/dev/null
mkdir -p out
zv=build/app/zvimage

show() {
    echo "\$ $*"
    "$@" || true
}

echo "== What the image library reads"
show "$zv" info samples/*
echo
echo "== Converting, turning and resizing"
show "$zv" convert samples/landscape.jpg out/landscape.bmp
show "$zv" rotate samples/portrait.jpg out/portrait-turned.png right
show "$zv" resample samples/landscape.jpg out/landscape-small.jpg 400 300 --mode 0 --quality 85 --dpi 72
show "$zv" convert samples/scan.bmp out/scan.tif
show "$zv" info out/*
echo
echo "Results are in $(pwd)/out"
