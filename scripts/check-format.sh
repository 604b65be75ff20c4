#!/usr/bin/env bash
# scripts/check-format.sh [SOURCE_ROOT]
#
# Fails when a C++ file of the tree is not laid out as .clang-format says,
# naming each such file. The layout is clang-format 14's (Debian 12); other
# versions lay out a few constructs differently, so only 14 is asked.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

format=$(command -v clang-format-14 || true)
if [ -z "$format" ]; then
    echo "clang-format-14 is missing (scripts/deps.sh test installs it)" >&2
    exit 1
fi

files=0 unformatted=0
while IFS= read -r file; do
    files=$((files + 1))
    if ! "$format" --style=file "$file" | cmp -s - "$file"; then
        echo "not formatted: $file (clang-format-14 -i $file)" >&2
        unformatted=$((unformatted + 1))
    fi
done < <(find platform controls imagelib caption export collection acquire app tests bench fuzz \
    \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort)

echo "$files files, $unformatted not formatted"
[ "$unformatted" -eq 0 ]
