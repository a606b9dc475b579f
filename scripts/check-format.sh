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

differing=0
while IFS= read -r -d '' file; do
    if ! "$format" --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "$file"
        differing=$((differing + 1))
    fi
done < <(git ls-files -z -- '*.cpp' '*.h')

if [ "$differing" -ne 0 ]; then
    echo "$differing file(s) differ from .clang-format: run $format -i on them" >&2
    exit 1
fi
