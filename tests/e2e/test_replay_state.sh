#!/usr/bin/env bash
# A replay says what it does on the screen itself, which full screen does not
# hide: in the black margin beside the picture (full screen on a 1366x768
# laptop, --scale 1), or over the picture's bottom-right corner in a window of
# the picture's own shape. When it ends, its last screen stays with "the
# replay has ended, press a key" until a key is pressed; then the program
# ends with status 0.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
TAPE="$E2E_SRC/debian/tests/short-game.rec"

# True when the lit pixels of the rectangle WxH+X+Y of the shot span a width
# from min_w to max_w and a height from min_h to max_h: the 8 x 8 letters of
# the line, times their scale (the font leaves a column and a row blank).
# lit_spans <rectangle> <min_w> <max_w> <min_h> <max_h> <shot>
lit_spans() {
    local w h
    read -r w h < <(convert "$6" -crop "$1" +repage -alpha off -colorspace gray \
        -threshold 10% -trim -format '%w %h' info: 2>/dev/null)
    ((${w:-0} >= $2 && ${w:-0} <= $3 && ${h:-0} >= $4 && ${h:-0} <= $5))
}

# Waits for the replay's line: expect_line <what> <rectangle> <letters wide>
# <lines> <scale>.
expect_line() {
    local what="$1" area="$2" wide="$3" lines="$4" k="$5"
    e2e_wait_for "the screen does not say \"$what\" in $area" 60 line \
        lit_spans "$area" $(((wide * 8 - 9) * k)) $((wide * 8 * k)) \
        $(((lines * 10 - 4) * k)) $(((lines * 10 - 2) * k))
    e2e_log "\"$what\" in $area"
}

# Full screen on a laptop: the state in the left margin, then the end there.
e2e_start_x 1366x768
e2e_copy_data
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --silent --scale 1 --replay "$TAPE" --replay-delay 400
e2e_find_window
expect_line "replay" 171x768+0+0 6 1 1
e2e_key space
expect_line "replay - paused" 171x768+0+0 15 1 1
e2e_key space
for ((i = 0; i < 4; i++)); do # from a pause of 400 ms to 25
    e2e_key equal 0.1
done
expect_line "replay - 16x" 171x768+0+0 12 1 1
# "the replay has / ended, press a key": wrapped to the margin's 20 letters.
expect_line "the replay has ended, press a key" 171x768+0+0 18 2 1
sleep 1
e2e_running || e2e_fail "the program ended without waiting for a key"
e2e_key a
e2e_wait_exit 15
[[ $E2E_STATUS == 0 ]] || e2e_fail "a key after the replay's end gave status $E2E_STATUS"
grep -q "^cave: end cause 2, score 95" "$E2E_WORK/game.out" ||
    e2e_fail "the replay did not play its game: $(cat "$E2E_WORK/game.out")"
e2e_log "a key ended the program after the replay"

# A window of the picture's shape has no margin: the end over its corner.
kill "$E2E_XVFB_PID" && wait "$E2E_XVFB_PID" 2>/dev/null
e2e_start_x 1920x1080
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --silent --windowed --scale 1 --replay "$TAPE" \
    --replay-delay 0
e2e_find_window
eval "$(xdotool getwindowgeometry --shell "$E2E_WIN")"
corner="270x14+$((X + 1024 - 270))+$((Y + 768 - 14))"
expect_line "the replay has ended, press a key" "$corner" 33 1 1
e2e_has_colour "$corner" "#FFD890" 150 "$E2E_SHOT" || e2e_fail "the line is not in its colour"
e2e_key a
e2e_wait_exit 15
[[ $E2E_STATUS == 0 ]] || e2e_fail "a key after the replay's end gave status $E2E_STATUS"
echo "PASS"
