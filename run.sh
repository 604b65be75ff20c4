#!/usr/bin/env bash
# Installs what is missing, builds, then starts Zelventa's window when a
# display is there. Without one, captions a few generated sample pictures
# with zelventa-batch and writes the results into ./out.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [ -x build/app/zelventa ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/app/zelventa "$@"
fi

[ -d samples ] || scripts/make-samples.sh samples >/dev/null
mkdir -p out

show() {
    echo "\$ $*"
    "$@" || true
}

echo "== Captioning, resizing and saving the sample pictures (zelventa-batch)"
show build/app/zelventa-batch --folder out --keep-names --format jpeg --overwrite yes \
    --text 'Zelventa\nsample caption' --font-height -40 --bold --text-color ffffff --back-color 1f4e79 \
    --anchor bottom-right --offsets 420,110,20,20 --resize 800,600 --keep-aspect by-height --stretch no \
    samples/*
echo
echo "== What came out (zvimage)"
show build/app/zvimage info out/*
echo
echo "Results are in $(pwd)/out: every picture has a blue caption box at its bottom-right corner."
