#!/usr/bin/env bash
# Window benchmarks, run by hand (figures in bench/README.md):
#  1. start of zelventa to a shown main window on a virtual display (Xvfb), 5 runs;
#  2. the export run driven from the export dialog (progress window pumping,
#     message boxes answered) against zelventa-batch on the same pictures and
#     options, per picture.
#   bench/window_bench.sh CORPUS_DIR [BUILD_DIR]
# CORPUS_DIR from /work/shared/bench/make-corpus.sh (land-*.jpg, port-*.jpg).
# Needs xvfb, xdotool, bc and a build with -DZV_BENCH=ON (target export_dialog_bench).
set -euo pipefail
corpus=$(realpath "$1")
build=$(realpath "${2:-build}")

if [ -z "${ZV_BENCH_INSIDE:-}" ]; then
    export ZV_BENCH_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$corpus" "$build"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }

echo "== start to a shown main window"
for run in 1 2 3 4 5; do
    start=$(now)
    XDG_CONFIG_HOME=$work/config "$build/app/zelventa" &
    pid=$!
    # Polled every 10 ms (xdotool's own --sync waits half a second between looks).
    until xdotool search --onlyvisible --name '^Zelventa 1.00$' >/dev/null 2>&1; do sleep 0.01; done
    end=$(now)
    echo "run $run: $(( (end - start) / 1000000 )) ms"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done

echo "== export: dialog against zelventa-batch"
mapfile -t pictures < <(ls "$corpus"/land-*.jpg "$corpus"/port-*.jpg)
mkdir -p "$work/dialog" "$work/batch"
cat >"$work/export.ini" <<INI
[Export Option]
SaveFolder=$work/dialog
SavePrifix=-1
SaveFormat=1
JpegQuality=90
XResolution=72
YResolution=72
ResizeImage=1
ResizeWidth=800
ResizeHeight=600
Unit=0
AllowStretch=0
AspectRatio=1
RestrictWidth=1
RestrictHeight=0
Quality=1
INI
: >"$work/list.txt"
for p in "${pictures[@]}"; do
    case $(basename "$p") in port-*) printf '%s\t90\n' "$p" ;; *) printf '%s\t0\n' "$p" ;; esac >>"$work/list.txt"
done
for round in 1 2 3; do
    rm -f "$work"/dialog/* "$work"/batch/*
    QT_QPA_PLATFORM=offscreen "$build/bench/export_dialog_bench" "$work/export.ini" "$work/dialog" "${pictures[@]}"
    start=$(now)
    TIMEFORMAT='%U %S'
    cpu=$( { time "$build/app/zelventa-batch" --profile "$work/export.ini" --folder "$work/batch" \
        --text 'Zelventa benchmark caption' --font 'Liberation Sans' --font-height -26 \
        --text-color ffffff --back-color 202020 --anchor bottom-right --offsets 410,50,10,10 \
        --list "$work/list.txt" >/dev/null 2>/dev/null; } 2>&1 )
    end=$(now)
    echo "batch: $(echo "scale=1; ($end - $start) / 1000000 / ${#pictures[@]}" | bc) ms per picture" \
        "(CPU $(echo "scale=1; (${cpu% *} + ${cpu#* }) * 1000 / ${#pictures[@]}" | bc) ms, start-up included)"
done
cmp <(cd "$work/dialog" && sha256sum ./*) <(cd "$work/batch" && sha256sum ./*) && echo "outputs identical"
