#!/usr/bin/env bash
# Three whole games played by cave_driver under valgrind's memcheck on the
# normal build: prints the bytes definitely and indirectly lost and the
# memory errors seen, and fails unless all of them are 0; then the README's
# line for it, with the date and the commit it was measured on.
#
# Usage: scripts/valgrind.sh [SEED]
# Build folder: CAVE_BUILD (default build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/measured.sh"
seed="${1:-1}"
build="${CAVE_BUILD:-$root/build}"
log="$(mktemp /tmp/cave-valgrind-XXXXXX)"
trap 'rm -f "$log" "$log.out"' EXIT

command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target cave_driver >/dev/null

echo "== 3 games under valgrind, seed $seed =="
status=0
valgrind --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=99 --log-file="$log" \
    "$build/tools/driver/cave_driver" --games 3 --seed "$seed" --quiet --data "$build/data" \
    >"$log.out" || status=$?
grep -E '^(games|turns|end causes|deepest)' "$log.out" || true

# With every block freed valgrind prints no leak summary at all.
awk '
    /definitely lost:/ { definite = $4 }
    /indirectly lost:/ { indirect = $4 }
    /ERROR SUMMARY:/ { errors = $4 }
    /in use at exit:/ { held = $6 }
    END {
        gsub(",", "", definite); gsub(",", "", indirect); gsub(",", "", held)
        printf "definitely lost: %d bytes\nindirectly lost: %d bytes\n", definite, indirect
        printf "still in use at exit: %d bytes\nmemory errors: %d\n", held, errors
    }' "$log"
if [[ $status -ne 0 ]]; then
    echo "valgrind: FAILED (exit status $status)"
    grep -A12 -E 'lost in loss record|Invalid|uninitialised' "$log" | head -n 80
    exit 1
fi
echo "valgrind: clean"

echo
echo "== The README's line ($(measured_on "$root"); scripts/valgrind.sh $seed) =="
awk -v seed="$seed" '
    function th(n,  s) { s = ""; while (n >= 1000) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) } return n s }
    /^games played:/ { games = $3 }
    /^turns played:/ { turns = $3 }
    /^end causes:/ { causes = ""; for (i = 3; i <= NF; i++) { split($i, c, ":"); causes = causes (i > 3 ? "/" : "") c[2] } }
    /^deepest room:/ { deepest = $3 }
    END { printf "| Valgrind (seed %s) | %d | %s | %s | %d | 0 bytes definitely, 0 indirectly lost |\n", seed, games, th(turns), causes, deepest }
' "$log.out"
