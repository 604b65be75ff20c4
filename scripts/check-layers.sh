#!/usr/bin/env bash
# scripts/check-layers.sh [SOURCE_ROOT]
#
# Fails when an include inside imagelib/ points up a layer or sideways
# between folders of one layer. From the bottom:
#   streams < core < geometry, metafile < codecs < registry
# Within codecs, every format folder may use the codec base (codecs/*.h);
# ico also uses png and bmp, and wmf the metafile player.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

rank() {
    case "$1" in
    streams) echo 0 ;;
    core) echo 1 ;;
    geometry | metafile) echo 2 ;;
    codecs) echo 3 ;;
    registry) echo 4 ;;
    *) echo 9 ;;
    esac
}

# The folder of a path below imagelib/: "codecs/png", "codecs" for the codec
# base, "core", ...
folder() {
    local rest=${1#imagelib/}
    case "$rest" in
    codecs/*/*) rest=${rest#codecs/}; echo "codecs/${rest%%/*}" ;;
    *) echo "${rest%%/*}" ;;
    esac
}

allowed() {
    local from=$1 to=$2
    [ "$from" = "$to" ] && return 0
    case "$from>$to" in
    codecs/ico\>codecs/png | codecs/ico\>codecs/bmp) return 0 ;;
    codecs/*\>codecs) return 0 ;;
    esac
    # A different folder of the codecs layer is a sideways step.
    [[ "$from" == codecs* && "$to" == codecs* ]] && return 1
    local a b
    a=$(rank "${from%%/*}")
    b=$(rank "${to%%/*}")
    [ "$b" -lt "$a" ]
}

files=0 includes=0 faults=0
while IFS= read -r file; do
    files=$((files + 1))
    from=$(folder "$file")
    while IFS= read -r target; do
        includes=$((includes + 1))
        to=$(folder "$target")
        if ! allowed "$from" "$to"; then
            echo "$file includes $target ($from -> $to)" >&2
            faults=$((faults + 1))
        fi
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(imagelib/[^"]*\)".*|\1|p' "$file")
done < <(find imagelib -name '*.h' -o -name '*.cpp' | sort)

echo "$files files, $includes includes inside imagelib, $faults against the layers"
[ "$faults" -eq 0 ]
