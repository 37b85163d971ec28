#!/usr/bin/env bash
# The long soak: random whole games played by cave_driver, and their figures.
#   1. GAMES games (default 1000) under AddressSanitizer and
#      UndefinedBehaviorSanitizer, split over the processors, each part with
#      a seed of its own;
#   2. GAMES / 5 more under the sanitizers with allocations failing now and
#      then (single failures and dry spells in which every one fails);
#   3. GAMES / 10 more under the sanitizers with a sturdy player, who goes
#      deep enough to meet the last creatures and find the way out;
#   4. the whole allocation sweep of the unit tests under the sanitizers,
#      every one of its 400 failure points (./check plays one in two);
#   5. the memory a run holds: 100 games against 1 on the normal build.
# Any sanitizer finding, crash, hang, or game without one of the eight end
# causes makes the script fail.
#
# It ends with the README's lines for these figures (the soak table and the
# memory held), with the date and the commit they were measured on.
#
# Usage: scripts/soak.sh [GAMES] [SEED]
# Build folders: CAVE_ASAN_BUILD (default build-asan), CAVE_BUILD (default build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/measured.sh"
games="${1:-1000}"
seed="${2:-1}"
asan_build="${CAVE_ASAN_BUILD:-$root/build-asan}"
normal_build="${CAVE_BUILD:-$root/build}"
jobs="${CAVE_SOAK_JOBS:-$(nproc)}"
logs="$(mktemp -d /tmp/cave-soak-XXXXXX)"
trap 'rm -rf "$logs"' EXIT

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Configures a build folder if it has never been, then builds the driver.
build_driver() {
    local dir="$1"
    shift
    [[ -f "$dir/CMakeCache.txt" ]] || cmake -S "$root" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs" --target cave_driver >/dev/null
}

# Runs GAMES games of the driver in $jobs parts; extra driver options follow.
# Each part's report goes to $logs/<label>.<part>.
run_parts() {
    local label="$1" count="$2"
    shift 2
    local pids=() part per=$(((count + jobs - 1) / jobs)) left="$count"
    for ((part = 0; part < jobs && left > 0; part++)); do
        local n=$((left < per ? left : per))
        left=$((left - n))
        "$asan_build/tools/driver/cave_driver" --games "$n" --seed "$((seed + part))" --quiet \
            --data "$asan_build/data" "$@" >"$logs/$label.$part" 2>&1 &
        pids+=($!)
    done
    local failed=0
    for part in "${!pids[@]}"; do
        if ! wait "${pids[$part]}"; then
            echo "part $part (seed $((seed + part))) failed:"
            tail -n 30 "$logs/$label.$part"
            failed=1
        fi
    done
    return "$failed"
}

# Adds up the figures of the parts of one run and prints them; its row of
# the README's table (named $2) goes to $logs/$label.row.
sum_parts() {
    local label="$1" name="$2"
    cat "$logs/$label".[0-9]* | awk -v name="$name" -v row="$logs/$label.row" '
        function th(n,  s) { s = ""; while (n >= 1000) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) } return n s }
        /^games played:/ { games += $3 }
        /^turns played:/ { turns += $3 }
        /^end causes:/ { for (i = 3; i <= NF; i++) { split($i, c, ":"); cause[c[1]] += c[2] } }
        /^deepest room:/ { if ($3 > deepest) deepest = $3 }
        /^largest cave:/ { if ($3 > rooms) rooms = $3 }
        /^allocation failures armed:/ { armed += $4 }
        /^peak RSS at the end:/ { if ($6 > peak) peak = $6 }
        /ERROR: (Address|Leak)Sanitizer|runtime error:|hung/ { findings++ }
        END {
            printf "games played: %d\nturns played: %d\nend causes:", games, turns
            for (k = 0; k < 8; k++) printf " %d:%d", k, cause[k]
            printf "\ndeepest room: %d\nlargest cave: %d rooms\n", deepest, rooms
            if (armed) printf "allocation failures armed: %d\n", armed
            printf "largest peak RSS of a part (sanitizer build): %d KiB\n", peak
            printf "sanitizer findings: %d\n", findings
            if (armed) name = name " (" th(armed) " failures armed)"
            causes = cause[0]
            for (k = 1; k < 8; k++) causes = causes "/" cause[k]
            printf "| %s | %s | %s | %s | %d | %d |\n", name, th(games), th(turns), causes, deepest, findings > row
            if (findings) exit 1
        }'
    grep -h '^checksum' "$logs/$label".[0-9]* | tr '\n' ' ' | sed 's/ $/\n/'
}

echo "== Building the driver =="
build_driver "$asan_build" -DCAVE_SANITIZE=ON -DCAVE_TESTS=ON
build_driver "$normal_build"

start=$SECONDS
echo "== $games games under the sanitizers, $jobs parts from seed $seed =="
run_parts plain "$games"
sum_parts plain "Sanitizers"
echo "time: $((SECONDS - start)) s"

start=$SECONDS
oom_games=$(((games + 4) / 5))
echo "== $oom_games games under the sanitizers with allocations failing (--oom 20) =="
run_parts oom "$oom_games" --oom 20
sum_parts oom "Sanitizers, allocations failing"
echo "time: $((SECONDS - start)) s"

start=$SECONDS
sturdy_games=$(((games + 9) / 10))
echo "== $sturdy_games games under the sanitizers with a sturdy player (--sturdy) =="
run_parts sturdy "$sturdy_games" --sturdy --max-turns 2000
sum_parts sturdy "Sanitizers, sturdy player"
echo "time: $((SECONDS - start)) s"

start=$SECONDS
echo "== The whole allocation sweep under the sanitizers (CAVE_OOM_STRIDE=1) =="
cmake --build "$asan_build" -j"$jobs" --target test_main >/dev/null
CAVE_OOM_STRIDE=1 ctest --test-dir "$asan_build" -R '^main\.(OutOfMemory|Allocations/)' \
    -j"$jobs" --output-on-failure >"$logs/sweep" 2>&1 || { tail -n 40 "$logs/sweep"; exit 1; }
grep -E 'tests passed|Total Test time' "$logs/sweep"
echo "time: $((SECONDS - start)) s"

echo "== Memory held: 100 games against 1, seed $seed, normal build =="
# The allocator's per-thread cache keeps a few freed blocks counted as in
# use; without it the heap figure is exact.
GLIBC_TUNABLES=glibc.malloc.tcache_count=0 \
    "$normal_build/tools/driver/cave_driver" --games 100 --seed "$seed" --quiet \
    --data "$normal_build/data" >"$logs/memory"
grep -E '^(games|largest|peak|RSS|heap)' "$logs/memory"
awk '
    /^peak RSS after game 1:/ { peak1 = $6 }
    /^peak RSS at the end:/ { peak100 = $6 }
    /^RSS at the title after game 1:/ { rss1 = $8; rss100 = $13; last = $12 + 0 }
    /^heap in use at the title after game 1:/ { heap1 = $10; heap100 = $15 }
    /^largest cave:/ { cave = int($3 * $6 / 1024) }
    END {
        # The heap in use is exact: anything a game left behind shows there.
        # The resident size may grow by up to the largest cave of the run:
        # the allocator keeps the freed rooms (about 180 KiB each) for reuse
        # rather than handing them back, and the peak follows that cave too.
        printf "peak RSS grew by %d KiB; resident size with the games released grew by %d KiB;", \
            peak100 - peak1, rss100 - rss1
        printf " heap in use grew by %d bytes\n", heap100 - heap1
        if (heap100 - heap1 != 0 || rss100 - rss1 > cave) { print "memory: FAILED"; exit 1 }
        printf "memory: nothing left behind; the resident size grew by less than the largest cave (%d KiB)\n", cave
    }' "$logs/memory"
rooms="$(awk '/^largest cave:/ { print $3 }' "$logs/memory")"
awk -v rooms="$rooms" '
    function th(n,  s) { s = ""; while (n >= 1000) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) } return n s }
    /^peak RSS after game 1:/ { peak1 = $6 }
    /^peak RSS at the end:/ { peak100 = $6 }
    /^RSS at the title after game 1:/ { rss1 = $8; rss100 = $13; last = $12 + 0 }
    /^heap in use at the title after game 1:/ { heap1 = $10; heap100 = $15 }
    END {
        printf "Memory, 100 games against 1 (normal build, seed %s): heap in use at the title after game 1\n", seed
        printf "and after game %d, with the games released, %s bytes both times (%d bytes more); resident size\n", last, th(heap1), heap100 - heap1
        printf "%s KiB and %s KiB (+%s KiB); peak resident size %s KiB and %s KiB. The peak\n", th(rss1), th(rss100), th(rss100 - rss1), th(peak1), th(peak100)
        printf "follows the largest cave of the run (%d rooms here, about 180 KiB each), not what earlier games\nleft behind; the allocator keeps that cave'"'"'s freed rooms for reuse, so the resident size with the\ngames released grows by at most that much.\n", rooms
    }' seed="$seed" "$logs/memory" >"$logs/memory.lines"

echo
echo "== The README's lines ($(measured_on "$root"); scripts/soak.sh $games $seed) =="
echo "| Run | Games | Turns | End causes 0/1/2/3/4/5/6/7 | Deepest room | Findings |"
echo "|---|---|---|---|---|---|"
cat "$logs/plain.row" "$logs/oom.row" "$logs/sturdy.row"
echo
cat "$logs/memory.lines"
