#!/usr/bin/env bash
# scripts/check-layers.sh [SOURCE_ROOT]
#
# Fails when an include points up a layer, or sideways between two folders
# of one layer. The program's folders, from the bottom:
#   platform, controls < imagelib < caption < export < collection, acquire < app
# and inside imagelib:
#   streams < core < geometry, metafile, colour < codecs < registry
# Within codecs, every format folder may use the codec base (codecs/*.h);
# ico also uses png and bmp, wmf the metafile player, and webp, avif, jxl,
# heif and raw use jpeg (the EXIF handling, a RAW's JPEG preview).
# Nor may the classes of one folder include each other in a circle (a class
# is its .h and .cpp together). tests/, bench/ and fuzz/ stand above
# everything and are not checked.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

program_rank() {
    case "$1" in
    platform | controls) echo 0 ;;
    imagelib) echo 1 ;;
    caption) echo 2 ;;
    export) echo 3 ;;
    collection | acquire) echo 4 ;;
    app) echo 5 ;;
    *) echo 9 ;;
    esac
}

imagelib_rank() {
    case "$1" in
    streams) echo 0 ;;
    core) echo 1 ;;
    geometry | metafile | colour) echo 2 ;;
    codecs) echo 3 ;;
    registry) echo 4 ;;
    *) echo 9 ;;
    esac
}

# The folder of a path below imagelib/: "codecs/png", "codecs" for the codec
# base, "core", ...
imagelib_folder() {
    local rest=${1#imagelib/}
    case "$rest" in
    codecs/*/*)
        rest=${rest#codecs/}
        echo "codecs/${rest%%/*}"
        ;;
    *) echo "${rest%%/*}" ;;
    esac
}

imagelib_allowed() {
    local from=$1 to=$2
    [ "$from" = "$to" ] && return 0
    case "$from>$to" in
    codecs/ico\>codecs/png | codecs/ico\>codecs/bmp | codecs/wmf\>metafile) return 0 ;;
    codecs/webp\>codecs/jpeg | codecs/avif\>codecs/jpeg | codecs/jxl\>codecs/jpeg | codecs/heif\>codecs/jpeg | codecs/raw\>codecs/jpeg) return 0 ;;
    codecs/*\>codecs) return 0 ;;
    esac
    # A different folder of the codecs layer is a sideways step.
    [[ "$from" == codecs* && "$to" == codecs* ]] && return 1
    [ "$(imagelib_rank "${to%%/*}")" -lt "$(imagelib_rank "${from%%/*}")" ]
}

allowed() {
    local file=$1 target=$2
    local from=${file%%/*} to=${target%%/*}
    if [ "$from" = imagelib ] && [ "$to" = imagelib ]; then
        imagelib_allowed "$(imagelib_folder "$file")" "$(imagelib_folder "$target")"
        return
    fi
    [ "$from" = "$to" ] && return 0
    [ "$(program_rank "$to")" -lt "$(program_rank "$from")" ]
}

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

files=0 includes=0 faults=0
while IFS= read -r file; do
    files=$((files + 1))
    while IFS= read -r target; do
        includes=$((includes + 1))
        if ! allowed "$file" "$target"; then
            echo "$file includes $target" >&2
            faults=$((faults + 1))
        fi
        echo "${file%.*} ${target%.*}" >>"$edges"
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*/[^"]*\)".*|\1|p' "$file")
done < <(find platform controls imagelib caption export collection acquire app \
    -name '*.h' -o -name '*.cpp' | sort)

# tsort names the classes of a circle on stderr.
circles=0
if ! tsort "$edges" >/dev/null 2>"$edges.loops"; then
    sed -n 's/^tsort: //p' "$edges.loops" | grep -v 'input contains a loop' >&2 || true
    circles=1
fi
rm -f "$edges.loops"

echo "$files files, $includes includes, $faults against the layers, $circles include circles"
[ "$faults" -eq 0 ] && [ "$circles" -eq 0 ]
