#!/usr/bin/env bash
# One whole game in a real window: title, name, the story screens and the
# control sheet, the game screen, Escape, the end screens, the highscore table
# and "Play again?" answered no, after which the program ends with status 0.
# Played with --windowed on a screen larger than the game, where full screen
# would show up as a bare window in the middle: the game's own window, of the
# class "cave", is shown at 1024x768 instead.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

NAME="Tester"
e2e_start_x 1280x1024
e2e_copy_data
e2e_write_low_highscores "$E2E_RUN/highscore.zelko" "Oldtimer"
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" --windowed --scale 1
e2e_find_window

# The titled window itself is on the screen, 1024x768, with the game's class,
# in the middle of the screen; moved to its corner, the game's areas are the
# screen's.
info="$(xwininfo -id "$E2E_WIN")"
grep -q "Map State: IsViewable" <<<"$info" || e2e_fail "the game's window is not shown: $info"
grep -qE "geometry 1024x768\+128\+128" <<<"$info" ||
    e2e_fail "the game's window is not 1024x768 in the middle of the screen: $info"
xdotool windowmove "$E2E_WIN" 0 0
for ((t = 0; t < 50; t++)); do
    [[ $(xwininfo -id "$E2E_WIN") == *"geometry 1024x768+0+0"* ]] && break
    sleep 0.1
done
[[ $(xprop -id "$E2E_WIN" WM_CLASS) == 'WM_CLASS(STRING) = "cave", "cave"' ]] ||
    e2e_fail "the window's class is not cave: $(xprop -id "$E2E_WIN" WM_CLASS)"
e2e_log "a 1024x768 window of class cave on a 1280x1024 screen"

# Title, name, the four story screens and the control sheet; any key starts.
e2e_play_intro "$NAME" space

# Escape ends the game: "You are dead!" in red over the last game screen.
e2e_key_expect_dead Escape

# Any key: the score lines.  Any key: "View last history?", answered no.
e2e_key_expect_change space score 20 200x24+412+412
e2e_key_expect_change space history-question 100 "$E2E_BOX_AREA"
e2e_key_expect_change n highscores 2000

# The table shows the new entry lit in white among the old grey ones.
e2e_has_colour 300x240+290+250 "#FFFFFF" 20 "$E2E_SHOT" ||
    e2e_fail "the highscore table shows no lit entry"
e2e_has_colour 300x240+290+250 "#7F7F7F" 100 "$E2E_SHOT" ||
    e2e_fail "the highscore table shows no other entries"

# Any key: "Play again?"; N ends the program.
e2e_key_expect_change space play-again 100 "$E2E_BOX_AREA"
e2e_key n
e2e_wait_exit 15
[[ $E2E_STATUS == 0 ]] || e2e_fail "the game should end with status 0 after \"Play again?\" no, got $E2E_STATUS"
e2e_log "the game ended with status 0"

# The highscore file holds the new name and still 15 entries of 154 bytes.
size="$(stat -c %s "$E2E_RUN/highscore.zelko")"
[[ $size == 2310 ]] || e2e_fail "highscore.zelko has $size bytes, not 2310"
grep -aq "$NAME" "$E2E_RUN/highscore.zelko" || e2e_fail "the name $NAME is not in highscore.zelko"
[[ $(grep -ao "Oldtimer" "$E2E_RUN/highscore.zelko" | wc -l) == 14 ]] ||
    e2e_fail "the new entry should push exactly one old entry out"
echo "PASS"
