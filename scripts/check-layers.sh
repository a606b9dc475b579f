#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it may not use.
# Every header is reachable from the root include folder, so the compiler and
# the linker alone would not notice. The rule, as the libraries link:
#   system        uses nothing of ours
#   cleaning      uses system
#   database      uses system (and is the only user of SQLite and LevelDB)
#   firefox       uses database, cleaning and system
#   chromium      uses database, cleaning and system
#   schedule      uses system
#   app           uses all of them
#   bench         the benchmark programs: every layer, as the program does,
#                 but not the test support; their plain baselines change
#                 stores with SQLite and LevelDB themselves
#   tests/support the library every test program links: the engine layers,
#                 not app (the app tests' own fixtures live in tests/app); it
#                 also builds LevelDB databases with LevelDB itself
# The tests of a layer (tests/<layer>/) keep to their layer's rule and may also
# use the shared test support (tests/support/).
# Usage: scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

layers="system cleaning database firefox chromium schedule app"

allowed() {
    case $1 in
        system) echo "system" ;;
        cleaning) echo "cleaning system" ;;
        database) echo "database system" ;;
        firefox) echo "firefox database cleaning system" ;;
        chromium) echo "chromium database cleaning system" ;;
        schedule) echo "schedule system" ;;
        app | bench) echo "app firefox chromium database cleaning schedule system resources" ;;
        tests/support) echo "support firefox chromium database cleaning schedule system" ;;
        tests/*) echo "$(allowed "${1#tests/}") support" ;;
    esac
}

# Whether files of the folder may include SQLite's or LevelDB's own headers.
uses_storage() {
    case $1 in
        database | tests/database | tests/support | bench) return 0 ;;
        *) return 1 ;;
    esac
}

faults=0
dirs="$layers bench tests/support"
for layer in $layers; do dirs="$dirs tests/$layer"; done
for dir in $dirs; do
    [ -d "$dir" ] || continue
    may="$(allowed "$dir")"
    while IFS= read -r file; do
        # #include "folder/..." lines: the folder is the layer used.
        while IFS=: read -r line used; do
            case " $may " in
                *" $used "*) ;;
                *) echo "$file:$line: $dir may not include $used/"; faults=$((faults + 1)) ;;
            esac
        done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$file" |
                 sed -E 's|^([0-9]+):[^"]*"([^/"]+)/.*|\1:\2|' || true)
        if ! uses_storage "$dir"; then
            while IFS=: read -r line _; do
                echo "$file:$line: only the database layer uses SQLite and LevelDB"
                faults=$((faults + 1))
            done < <(grep -n -E '#[[:space:]]*include[[:space:]]*[<"](sqlite3\.h|leveldb/|snappy)' "$file" || true)
        fi
    done < <(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
done

if [ "$faults" -ne 0 ]; then
    echo "$faults include(s) cross the layers"
    exit 1
fi
echo "every include keeps to its layer"
