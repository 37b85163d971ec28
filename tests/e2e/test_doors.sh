#!/usr/bin/env bash
# The player walks to a door of the first room and through it: a new room is
# drawn, with the player beside the open door back, and a line is added to
# the messages. There the creatures move while the player stands still. Then
# Escape ends the game and the end screens run to the end of the program.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start_x
# One cave, always the same, so the walk and the creatures' moves never
# depend on chance.
e2e_start_game --scale 1 --seed 11
e2e_find_window
e2e_play_intro Explorer

# Walk, step by step along a shortest way read off the screen, until a step
# takes the player far from where it stood: through the door into a new room.
e2e_shot walk-start
new_room=""
for ((steps = 0; steps < 80; steps++)); do
    before="$E2E_SHOT"
    read -r col row code <<<"$(e2e_grid toward "$before")"
    [[ -n ${code:-} ]] || e2e_fail "no way to a door in $before"
    key="$(e2e_arrow_key "$code")"
    e2e_key "$key"
    e2e_wait_for "the step $key from $col $row changed nothing" 10 walk \
        e2e_differs_from "$before" 50 "$E2E_GRID_AREA"
    read -r new_col new_row <<<"$(e2e_grid where "$E2E_SHOT")"
    [[ -n ${new_row:-} ]] || e2e_fail "the player is lost after $key ($E2E_SHOT)"
    if ((new_col - col > 1 || col - new_col > 1 || new_row - row > 1 || row - new_row > 1)); then
        new_room="$E2E_SHOT"
        break
    fi
done
[[ -n $new_room ]] || e2e_fail "no new room after $steps steps"
e2e_log "a new room after $((steps + 1)) steps: from $col $row to $new_col $new_row"
(($(e2e_count_diff "$before" "$new_room" "$E2E_GRID_AREA") > 5000)) ||
    e2e_fail "the room grid hardly changed on entering the new room"

# The player arrives beside the door it came through, which now leads back
# and is drawn open.
e2e_grid show "$new_room"
e2e_grid show "$new_room" | awk -v c="$new_col" -v r="$new_row" '
    NR >= r && NR <= r + 2 && substr($0, c, 3) ~ /\// { found = 1 }
    END { exit !found }' || e2e_fail "no open door next to the player at $new_col $new_row"
# "You went into a new room" is pushed: the message lines changed.
(($(e2e_count_diff "$before" "$new_room" "$E2E_HISTORY_AREA") > 100)) ||
    e2e_fail "the messages did not change when the player entered the new room"

# Creatures move: while the player stands still, the set of tiles with
# something on them changes within a few turns.
occupied="$(e2e_grid occupied "$new_room")"
# True when the tiles with something on them differ from the first ones.
occupancy_changed() { [[ "$(e2e_grid occupied "$1")" != "$occupied" ]]; }
moved=0
for ((turn = 1; turn <= 8 && !moved; turn++)); do
    e2e_key space
    for ((poll = 0; poll < 4 && !moved; poll++)); do
        e2e_shot "stand-$turn"
        occupancy_changed "$E2E_SHOT" && moved=1
    done
done
((moved)) || e2e_fail "no creature moved in 8 turns"
e2e_log "the creatures moved by turn $((turn - 1))"

e2e_key_expect_dead Escape
e2e_finish_game n
echo "PASS"
