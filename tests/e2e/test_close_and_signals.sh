#!/usr/bin/env bash
# The window's close button (WM_DELETE_WINDOW, as a window manager sends it;
# openbox manages the window) and the signals SIGTERM, SIGHUP and SIGINT end
# the program with status 0, as the screen allows (the time each took is
# told; the goal is under a second): on the title at once; in play
# with one line on stderr that the game is kept, and the next start, answered
# yes, shows the very picture it was left at and goes on (so does one after
# kill -9), answered no, gives it up into the table; on the end screens after
# the score is saved (the table, and the game's recording finished and tied
# to its entry, which then replays to where the game was left); a replay
# stops.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

KEPT="cave: your game is kept; start the game again to go on with it"
e2e_start_x
e2e_copy_data
e2e_write_low_highscores "$E2E_RUN/highscore.zelko" "Oldtimer"
e2e_start_openbox

# Starts the game with the arguments given and gives its window the keyboard.
start() {
    e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" --silent --scale 1 "$@"
    e2e_find_window
    timeout 5 xdotool windowactivate --sync "$E2E_WIN" >/dev/null 2>&1 || true
}

# Ends the game with `how` (close, or a signal's name), then checks that it
# ended with status 0 and said `line` on stderr (or nothing), and tells how
# long it took.
leave() {
    local how="$1" line="$2" what="$3" start t
    if [[ $how == close ]]; then
        "$E2E_PY" "$(dirname "$0")/close_window.py" "$E2E_WIN" || e2e_fail "no close request sent"
    else
        kill -s "$how" "$E2E_GAME_PID"
    fi
    start=$EPOCHREALTIME
    for ((t = 0; t < 500; t++)); do
        e2e_running || break
        sleep 0.02
    done
    local took=$(((${EPOCHREALTIME/./} - ${start/./}) / 1000))
    e2e_running && e2e_fail "$what: the game still runs 10 s after $how"
    E2E_STATUS=0
    wait "$E2E_GAME_PID" 2>/dev/null || E2E_STATUS=$?
    E2E_GAME_PID=""
    [[ $E2E_STATUS == 0 ]] || e2e_fail "$what: $how ended the game with status $E2E_STATUS"
    [[ $(grep -vxF "$line" "$E2E_WORK/game.err") == "" ]] ||
        e2e_fail "$what: stderr after $how: $(cat "$E2E_WORK/game.err")"
    [[ -z $line ]] || grep -qxF "$line" "$E2E_WORK/game.err" ||
        e2e_fail "$what: \"$line\" was not said after $how"
    e2e_log "$what: $how ended the game in $took ms, status 0"
}

start
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
leave close "" title
start
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
leave HUP "" title

# The picture of the game's window in a shot (at --scale 1, the game's own
# 1024x768), into a file beside it, whose path is printed.
window_picture() {
    local X Y WIDTH HEIGHT out="${1%.png}-window.png"
    eval "$(timeout 5 xdotool getwindowgeometry --shell "$E2E_WIN" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    convert "$1" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$out" && echo "$out"
}
same_picture() {
    local now
    now="$(window_picture "$2")" && (($(e2e_count_diff "$1" "$now") == 0))
}

# Stands still a turn (a line more in the history) and leaves the picture
# of the window then in `left`.
stand_still() {
    e2e_key_expect_change space "$1" 20 "$E2E_HISTORY_AREA"
    left="$(window_picture "$E2E_SHOT")" || e2e_fail "no picture of the window"
}

# Starts the game again, answers "Do you want to go on with your last
# game?" (over the title) with y, and waits for the picture `left`.
go_on() {
    start
    e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
    e2e_key_expect_change space go-on-question 100 "$E2E_BOX_AREA"
    e2e_key y
    e2e_wait_for "after $1, the game taken up is not at the picture it was left at" 15 \
        taken-up same_picture "$left"
    e2e_log "after $1, the game goes on at the very picture it was left at"
}

start
e2e_play_intro "Player"
stand_still stand
leave close "$KEPT" play
go_on close
stand_still stand-again
kill -9 "$E2E_GAME_PID"
wait "$E2E_GAME_PID" 2>/dev/null
E2E_GAME_PID=""
go_on "kill -9"
leave TERM "$KEPT" play

start
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
e2e_key_expect_change space go-on-question 100 "$E2E_BOX_AREA"
e2e_key_expect_change n name-box 100 "$E2E_BOX_AREA"
grep -q ' Player$' "$E2E_RUN/recordings/index" ||
    e2e_fail "the game given up is not in the table: $(cat "$E2E_RUN/recordings/index")"
e2e_play_from_name_box Closer
e2e_key_expect_dead Escape
leave close "" "end screen"
grep -aq Closer "$E2E_RUN/highscore.zelko" || e2e_fail "the score was not saved on close"
entry="$(grep ' Closer$' "$E2E_RUN/recordings/index")" ||
    e2e_fail "the index ties no recording to the new entry: $(cat "$E2E_RUN/recordings/index")"
kept="$E2E_RUN/recordings/$(cut -d' ' -f4 <<<"$entry")"
[[ $(tail -n2 "$kept" | head -n1) == left && $(tail -n1 "$kept") == "# end score "* ]] ||
    e2e_fail "the kept recording does not end where the game was left: $(tail -n3 "$kept")"
e2e_log "the score was saved, its recording kept: $entry"
e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" --silent --scale 1 --watch "$(cut -d' ' -f2 <<<"$entry")" --replay-delay 0
e2e_wait_exit 60
[[ $E2E_STATUS == 0 ]] && grep -qx "cave: replay stopped where its game was left" "$E2E_WORK/game.out" ||
    e2e_fail "the kept game did not replay to where it was left: $(cat "$E2E_WORK/game.err")"

for how in close INT; do
    start --watch 1
    sleep 0.5
    leave "$how" "" replay
    grep -qx "cave: replay stopped" "$E2E_WORK/game.out" || e2e_fail "the replay did not stop"
done
echo "PASS"
