#!/usr/bin/env bash
# recorded-games.sh: random whole games recorded by cave_driver and played
# back from their recordings, which must replay to the same seeds, end
# causes, scores, turns and deepest rooms. Ends with the README's line for
# it, with the date and the commit it was measured on.
#
# Usage: scripts/recorded-games.sh [GAMES-PER-SEED] [SEED...]
#        (default: 100 games from each of the seeds 1, 2, 3, 11 and 12)
# Build folder: CAVE_BUILD (default build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/measured.sh"
games="${1:-100}"
shift || true
seeds=("$@")
((${#seeds[@]})) || seeds=(1 2 3 11 12)
build="${CAVE_BUILD:-$root/build}"
work="$(mktemp -d /tmp/cave-recorded-XXXXXX)"
trap 'rm -rf "$work"' EXIT

[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target cave_driver >/dev/null
driver="$build/tools/driver/cave_driver"

lines=0
held=0
for seed in "${seeds[@]}"; do
    echo "== $games games from seed $seed, recorded, then replayed =="
    "$driver" --games "$games" --seed "$seed" --max-turns 400 --data "$build/data" \
        --record "$work/$seed.rec" | grep '^cave: ' >"$work/$seed.played"
    "$driver" --replay "$work/$seed.rec" --data "$build/data" | grep '^cave: ' >"$work/$seed.replayed"
    if ! cmp -s "$work/$seed.played" "$work/$seed.replayed"; then
        echo "the replay of seed $seed ended otherwise:"
        diff "$work/$seed.played" "$work/$seed.replayed" | head -n 20
        exit 1
    fi
    lines=$((lines + $(wc -l <"$work/$seed.rec")))
    held=$((held + $(grep -c '^held' "$work/$seed.rec" || true)))
done
version="$(head -n 1 "$work/${seeds[0]}.rec" | awk '{ print $3 }')"
named="${seeds[*]}"
named="${named// /, }"
[[ $named == *", "* ]] && named="${named%, *} and ${named##*, }"

echo
echo "== The README's line ($(measured_on "$root"); scripts/recorded-games.sh $games ${seeds[*]}) =="
echo "$((games * ${#seeds[@]})) random games (seeds $named, $games games each, \`--max-turns 400\`:" \
    "$(thousands "$lines") recorded lines, $(thousands "$held") of them \`held\` lines, in version" \
    "$version of the format) replayed to the same seeds, end causes, scores, turns and deepest rooms."
