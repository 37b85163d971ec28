#!/usr/bin/env bash
# The player walks the first room with the arrow keys and the numeric keypad,
# each step landing on the tile of its direction; then Q gives up: "You are
# dead!", the game-over picture for giving up, the score, the last history
# (answered yes) and the highscore table, until "Play again?" no ends the
# program with status 0. The game is cave seed 7 and is recorded; the
# recording replays to the same end headless (cave_driver) and in the real
# window, where it leaves the highscore table alone and Escape stops it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

TAPE="$E2E_WORK/r.txt"
DRIVER="$(dirname "$E2E_CAVE")/tools/driver/cave_driver"
[[ -x $DRIVER ]] || e2e_fail "the headless driver $DRIVER is not built"
e2e_start_x
e2e_start_game --scale 1 --seed 7 --record "$TAPE"
e2e_find_window
e2e_play_intro Walker

# Steps in every direction the room allows, read back from the screen: the
# player must stand on the tile of the key's direction afterwards.
declare -A DX=([1]=-1 [2]=0 [3]=1 [4]=-1 [6]=1 [7]=-1 [8]=0 [9]=1)
declare -A DY=([1]=1 [2]=1 [3]=1 [4]=0 [6]=0 [7]=-1 [8]=-1 [9]=-1)
arrow_steps=0
pad_steps=0
# Walks one step with the key of a direction code if that tile is bare floor.
try_step() {
    local key="$1" code="$2" where col row free want
    e2e_shot "before-$key"
    where="$(e2e_grid free "$E2E_SHOT")" || e2e_fail "no player on the screen ($E2E_SHOT)"
    read -r col row free <<<"$where"
    [[ " $free " == *" $code "* ]] || return 1
    want="$((col + DX[$code])) $((row + DY[$code]))"
    e2e_key "$key"
    e2e_wait_for "after $key the player is not at $want (was at $col $row)" 10 "step-$key" \
        player_at "$want"
    e2e_log "$key: the player stepped from $col $row to $want"
}
# True when the shot shows the player on the tile "col row".
player_at() { [[ "$(e2e_grid where "$2" 2>/dev/null)" == "$1" ]]; }

for code in 6 2 4 8; do
    try_step "$(e2e_arrow_key "$code")" "$code" && arrow_steps=$((arrow_steps + 1))
done
for code in 6 2 4 8 3 7 9 1; do
    try_step "$(e2e_pad_key "$code")" "$code" && pad_steps=$((pad_steps + 1))
done
e2e_log "$arrow_steps arrow steps and $pad_steps keypad steps checked"
((arrow_steps >= 2)) || e2e_fail "only $arrow_steps arrow-key steps could be made"
((pad_steps >= 4)) || e2e_fail "only $pad_steps keypad steps could be made"

# Q gives up. "Game Over" and the cause line are drawn in dark red on the
# game-over picture; the history page shows the cause among its lines.
e2e_key_expect_dead q
e2e_key_expect_change space game-over 2000
e2e_has_colour 480x28+272+380 "#7F0000" 60 "$E2E_SHOT" ||
    e2e_fail "the game-over lines are not drawn in dark red"
# The score lines follow on the same screen; then the rest of the end.
e2e_finish_after_end_picture y

# The game told its seed and how it ended; the recording plays the same game.
cp "$E2E_WORK/game.out" "$E2E_WORK/played.out"
grep -qx "cave: that cave was seed 7" "$E2E_WORK/played.out" ||
    e2e_fail "the game did not tell its seed: $(cat "$E2E_WORK/played.out")"
ended="$(grep '^cave: end cause 4, score' "$E2E_WORK/played.out")" ||
    e2e_fail "the game did not tell its end: $(cat "$E2E_WORK/played.out")"
e2e_log "played: $ended"
"$DRIVER" --replay "$TAPE" --data "$E2E_RUN" >"$E2E_WORK/driver.out" 2>&1 ||
    e2e_fail "cave_driver could not replay the recording: $(cat "$E2E_WORK/driver.out")"
grep -qxF "$ended" "$E2E_WORK/driver.out" ||
    e2e_fail "the headless replay ended otherwise: $(cat "$E2E_WORK/driver.out")"
table="$(md5sum <"$E2E_RUN/highscore.zelko")"
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" --scale 1 --replay "$TAPE" --replay-delay 20
# Its last screen waits for a key.
e2e_end_replay 60
e2e_wait_exit 15
[[ $E2E_STATUS == 0 ]] || e2e_fail "the replay in the window ended with $E2E_STATUS: $(cat "$E2E_WORK/game.err")"
grep -qxF "$ended" "$E2E_WORK/game.out" ||
    e2e_fail "the replay in the window ended otherwise: $(cat "$E2E_WORK/game.out")"
[[ $(md5sum <"$E2E_RUN/highscore.zelko") == "$table" ]] || e2e_fail "the replay wrote the table"
e2e_log "both replays: $ended; the table is untouched"

# Escape stops a replay at its watching pace.
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" --scale 1 --replay "$TAPE"
e2e_find_window
e2e_key Escape
e2e_wait_exit 10
[[ $E2E_STATUS == 0 ]] || e2e_fail "Escape did not stop the replay (status $E2E_STATUS)"
grep -q "replay stopped" "$E2E_WORK/game.out" || e2e_fail "the stopped replay said nothing"
e2e_log "Escape stopped the replay"
echo "PASS"
