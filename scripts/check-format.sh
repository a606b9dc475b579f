#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it with
# the repository's .clang-format, and names each such file. Without any
# clang-format it says so and passes.
# Usage: scripts/check-format.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if command -v clang-format-14 >/dev/null 2>&1; then
    format=clang-format-14
elif command -v clang-format >/dev/null 2>&1; then
    format=clang-format
else
    echo "clang-format not found: format not checked"
    exit 0
fi

# A broken .clang-format would otherwise show as every file differing.
"$format" --style=file --dump-config >/dev/null

# One clang-format for every file; each line it complains about names its file.
differing=$(git ls-files -z -- '*.cpp' '*.h' | xargs -0 "$format" --style=file --dry-run --Werror 2>&1 |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u || true)
if [ -n "$differing" ]; then
    echo "$differing"
    echo "$(echo "$differing" | wc -l) file(s) differ from .clang-format: run $format -i on them" >&2
    exit 1
fi
