# shellcheck shell=bash
# lib.sh: shared helpers of the real-window tests.
#
# Each test starts its own virtual X server, runs the real game binary in a
# scratch copy of the data folder, which it names as the player's folder too
# (so highscores written by a test never reach the build's data nor the real
# home folder), types at the game window with xdotool and reads its screen
# with ImageMagick. Everything started here is stopped by the exit trap.
#
# Usage in a test:  source "$(dirname "$0")/lib.sh"; e2e_init "$@"
#
# Variables set here are read by the tests that source this file.
# shellcheck disable=SC2034

E2E_XVFB_PID=""  # our X server
E2E_GAME_PID=""  # the game (or launcher) we started
E2E_WIN=""       # the game window's id
E2E_WORK=""      # scratch folder of this test
E2E_SHOT_NO=0    # running number of the screenshots taken
E2E_FAILED=0     # set by e2e_fail, keeps the scratch folder for a look
E2E_AT_EXIT=""   # a command of the test to run first on exit (e.g. to uninstall)
E2E_WM_PID=""    # the window manager, when the test started one

# Prints a progress line with the seconds since the test began.
e2e_log() { echo "[$SECONDS s] $*"; }

# Fails the test with a message; the exit trap cleans up.
e2e_fail() {
    echo "FAIL: $*" >&2
    E2E_FAILED=1
    exit 1
}

# Skips the test (exit 0) with a message.
e2e_skip() {
    echo "SKIP: $*"
    exit 0
}

# True once the process is gone, polled for up to `tenths` tenths of a second.
e2e_gone() {
    local pid="$1" tenths="$2" t
    for ((t = 0; t < tenths; t++)); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$pid" 2>/dev/null
}

# True when the last game's error output holds a report of AddressSanitizer
# or UndefinedBehaviorSanitizer (in a build with them; such an error stops
# the game, which most tests notice anyway, but not one they stop themselves).
e2e_sanitizer_report() {
    [[ -f $E2E_WORK/game.err ]] &&
        grep -qE '^==[0-9]+==ERROR: AddressSanitizer|: runtime error: ' "$E2E_WORK/game.err"
}

# Stops what this test started and removes its scratch folder.
e2e_cleanup() {
    local rc=$?
    if [[ -n $E2E_AT_EXIT ]]; then
        $E2E_AT_EXIT || true
    fi
    if [[ -n $E2E_GAME_PID ]] && kill -0 "$E2E_GAME_PID" 2>/dev/null; then
        kill "$E2E_GAME_PID" 2>/dev/null
        e2e_gone "$E2E_GAME_PID" 30 || kill -9 "$E2E_GAME_PID" 2>/dev/null
    fi
    if e2e_sanitizer_report; then
        echo "FAIL: the sanitizers reported an error of the game: $E2E_WORK/game.err" >&2
        rc=1
    fi
    [[ -z $E2E_WM_PID ]] || kill "$E2E_WM_PID" 2>/dev/null
    if [[ -n $E2E_XVFB_PID ]]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    if [[ -n $E2E_WORK && -d $E2E_WORK ]]; then
        if ((rc != 0 || E2E_FAILED)); then
            echo "Screenshots and logs kept in $E2E_WORK" >&2
        else
            rm -rf "$E2E_WORK"
        fi
    fi
    exit "$rc"
}

# Reads the arguments every test gets (game binary, data folder, source
# folder), checks the tools and makes the scratch folder.
e2e_init() {
    E2E_CAVE="$(realpath "${1:?usage: test <cave-binary> <data-dir> <source-dir>}")"
    E2E_DATA="$(realpath "${2:?missing data folder}")"
    E2E_SRC="$(realpath "${3:?missing source folder}")"
    [[ -x $E2E_CAVE ]] || e2e_fail "the game program $E2E_CAVE is not built"
    [[ -f $E2E_DATA/TitelScreen.bmp ]] || e2e_fail "the data folder $E2E_DATA holds no generated data"
    local tool
    for tool in Xvfb xdotool xdpyinfo xwininfo import convert python3; do
        command -v "$tool" >/dev/null || e2e_fail "the tool '$tool' is not installed"
    done
    # The system's interpreter starts fastest; any python3 will do.
    E2E_PY=python3
    [[ -x /usr/bin/python3 ]] && E2E_PY=/usr/bin/python3
    # In a sanitizer build the game's own leaks are the unit tests' and the
    # random-play run's business: the sound and X libraries load plug-ins and
    # unload them again, and what those keep cannot be told from the game's.
    # Memory errors and undefined behaviour still stop the game.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/cave-e2e.XXXXXX")"
    # A game started without --folder keeps its table here, never in the
    # real home folder.
    export XDG_DATA_HOME="$E2E_WORK/data-home"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

# Starts a virtual X server with a screen of the size given (default
# 1024x768) on a display of its own choosing (Xvfb takes the first free one
# and tells which through a file, so tests may run side by side) and waits
# until it takes connections. Further arguments go to Xvfb.
e2e_start_x() {
    local size="${1:-1024x768}" t n=""
    shift || true
    # One server starts at a time on this machine: two that pick a display
    # at the same moment can trip over each other's lock and socket files.
    exec 7>"${TMPDIR:-/tmp}/cave-e2e-xvfb.lock"
    flock -w 60 7 || e2e_fail "another test has been starting its X server for a minute"
    # The display of a server started before must not be read as this one's.
    rm -f "$E2E_WORK/display"
    # -noreset: a server resets when its last client leaves (here the
    # xdpyinfo below), and a game that connects during the reset is refused.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset "$@" \
        3>"$E2E_WORK/display" 7>&- >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    for ((t = 0; t < 600; t++)); do
        n="$(cat "$E2E_WORK/display" 2>/dev/null)"
        [[ -n $n ]] && break
        kill -0 "$E2E_XVFB_PID" 2>/dev/null ||
            e2e_fail "Xvfb stopped: $(tail -3 "$E2E_WORK/xvfb.log")"
        sleep 0.05
    done
    [[ -n $n ]] || e2e_fail "Xvfb named no display within 30 s"
    export DISPLAY=":$n"
    xdpyinfo >/dev/null 2>&1 || e2e_fail "the X server on $DISPLAY does not answer"
    [[ -S /tmp/.X11-unix/X$n ]] || e2e_fail "the X server on $DISPLAY has no socket"
    exec 7>&-
    e2e_log "X server up on $DISPLAY"
}

# Copies the data folder to <scratch>/run (or the folder given) so the game
# may write its highscore file there.
# shellcheck disable=SC2120
e2e_copy_data() {
    local dir="${1:-$E2E_WORK/run}"
    mkdir -p "$dir"
    cp -a "$E2E_DATA/." "$dir/"
    rm -f "$dir/.stamp"
    E2E_RUN="$dir"
}

# Writes a highscore file of 15 entries, each scoring -1000 and named as
# given, so that any score of a test game enters the table.
e2e_write_low_highscores() {
    local file="$1" name="$2" i
    : >"$file"
    for ((i = 0; i < 15; i++)); do
        # -1000 as a little-endian 32-bit integer, then the name in 150 bytes.
        printf '\x18\xfc\xff\xff' >>"$file"
        { printf '%s' "$name"; head -c $((150 - ${#name})) /dev/zero; } >>"$file"
    done
}

# Starts a command in the background with the given working folder; its
# output goes to <scratch>/game.out and game.err.
e2e_start_in() {
    local dir="$1"
    shift
    if e2e_sanitizer_report; then
        e2e_fail "the sanitizers reported an error of the last game (game.err)"
    fi
    (cd "$dir" && exec "$@") >"$E2E_WORK/game.out" 2>"$E2E_WORK/game.err" &
    E2E_GAME_PID=$!
    e2e_log "started $* in $dir (pid $E2E_GAME_PID)"
}

# Starts the window manager openbox on the X server and waits until it has
# taken the screen and set itself up (its theme is named then); a start that
# fails, as it now and then does on a display that has only just come up, is
# tried again.
e2e_start_openbox() {
    local t
    command -v openbox >/dev/null || e2e_fail "the window manager openbox is not installed"
    for ((t = 0; ; t++)); do
        if [[ -z $E2E_WM_PID ]] || ! kill -0 "$E2E_WM_PID" 2>/dev/null; then
            ((t < 300)) || e2e_fail "openbox did not start: $(cat "$E2E_WORK/openbox.log")"
            XDG_CACHE_HOME="$E2E_WORK/cache" openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
            E2E_WM_PID=$!
        fi
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" &&
            xprop -root _OB_THEME 2>/dev/null | grep -q '"' && break
        ((t < 300)) || e2e_fail "openbox did not take the screen within 30 s"
        sleep 0.1
    done
    e2e_log "openbox runs"
}

# Starts the game binary, with the arguments given, in the scratch copy of
# the data, which is its player's folder too.
e2e_start_game() {
    e2e_copy_data
    e2e_start_in "$E2E_RUN" "$E2E_CAVE" --folder "$E2E_RUN" "$@"
}

# Stops the started process (when it still runs) and forgets it.
e2e_stop_game() {
    if [[ -n $E2E_GAME_PID ]] && kill -0 "$E2E_GAME_PID" 2>/dev/null; then
        kill "$E2E_GAME_PID" 2>/dev/null
        wait "$E2E_GAME_PID" 2>/dev/null
    fi
    E2E_GAME_PID=""
    if e2e_sanitizer_report; then
        e2e_fail "the sanitizers reported an error of the game (game.err)"
    fi
}

# True while the started process runs.
e2e_running() { kill -0 "$E2E_GAME_PID" 2>/dev/null; }

# Waits (up to 30 s) for the game's window to appear, then until a window
# covers its middle, and gives that one the keyboard: the game
# window, or in full-screen mode the library's full-screen window (which
# grabs the keyboard anyway).
e2e_find_window() {
    local t u ids
    for ((t = 0; t < 150; t++)); do
        e2e_running || e2e_fail "the game stopped before its window appeared: $(cat "$E2E_WORK/game.err")"
        ids="$(timeout 5 xdotool search --name "Wizard's Cave" 2>/dev/null)" || true
        if [[ -n $ids ]]; then
            E2E_WIN="$(head -n1 <<<"$ids")"
            e2e_log "window $E2E_WIN: $(xdotool getwindowname "$E2E_WIN" 2>/dev/null)"
            for ((u = 0; u < 100; u++)); do
                e2e_focus && return 0
                e2e_running || e2e_fail "the game stopped before its window was shown"
                sleep 0.1
            done
            e2e_fail "no window covers the middle of the game's window 10 s after it appeared"
        fi
        sleep 0.2
    done
    e2e_fail "no game window appeared within 30 s"
}

# Gives the keyboard focus to the window under the middle of the game's
# window (there is no window manager to do it; a window opens in the middle
# of its monitor); false while only the root window is there. xdotool names
# window 0 under the pointer when it finds no client window there (the
# game's own window, or its full-screen window): the game's window then gets
# the focus.
e2e_focus() {
    local WINDOW="" root WIDTH=1024 HEIGHT=768
    root="$(xwininfo -root 2>/dev/null | awk '/Window id:/ { print $4 }')"
    eval "$(timeout 5 xdotool getwindowgeometry --shell "$E2E_WIN" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')"
    timeout 5 xdotool mousemove --window "$E2E_WIN" $((WIDTH / 2)) $((HEIGHT / 2)) >/dev/null 2>&1 || true
    eval "$(timeout 5 xdotool getmouselocation --shell 2>/dev/null | grep '^WINDOW=')"
    [[ -n $WINDOW ]] && ((WINDOW != root)) || return 1
    ((WINDOW != 0)) || WINDOW="$E2E_WIN"
    timeout 5 xdotool windowfocus "$WINDOW" >/dev/null 2>&1 || true
}

# Presses one key (an X key name such as Return, Escape, n, KP_8) and holds it
# for a moment, long enough for a game that polls the key state.
e2e_key() {
    local k="$1" hold="${2:-0.15}"
    timeout 5 xdotool keydown "$k" || e2e_fail "xdotool could not press $k"
    sleep "$hold"
    timeout 5 xdotool keyup "$k" || e2e_fail "xdotool could not release $k"
    sleep 0.1
}

# Types a word letter by letter.
e2e_type() {
    local word="$1" i
    for ((i = 0; i < ${#word}; i++)); do
        e2e_key "${word:i:1}" 0.08
    done
}

# Takes a screenshot of the whole X screen into a new PNG, whose path is left
# in E2E_SHOT. The PNG is written with the fastest compression (-quality 10:
# zlib level 1, no filter), a quarter of the processor time of the default.
e2e_shot() {
    local name="${1:-shot}"
    E2E_SHOT_NO=$((E2E_SHOT_NO + 1))
    E2E_SHOT="$(printf '%s/%02d-%s.png' "$E2E_WORK" "$E2E_SHOT_NO" "$name")"
    timeout 20 import -display "$DISPLAY" -window root -quality 10 "$E2E_SHOT" 2>/dev/null ||
        e2e_fail "could not take a screenshot"
}

# Number of pixels in the rectangle WxH+X+Y of a picture whose colour is
# within the fuzz (percent) of the colour given (#RRGGBB).
e2e_count_colour() {
    local file="$1" geometry="$2" colour="$3" fuzz="${4:-6}"
    convert "$file" -crop "$geometry" +repage -alpha off \
        -fuzz "$fuzz%" -fill white -opaque "$colour" \
        -fill black +opaque white \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# Number of pixels in the rectangle that are not black (any channel > 10%).
e2e_count_lit() {
    local file="$1" geometry="${2:-1024x768+0+0}"
    convert "$file" -crop "$geometry" +repage -alpha off -colorspace gray \
        -threshold 10% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# Number of pixels that differ between two pictures in a rectangle.
e2e_count_diff() {
    local a="$1" b="$2" geometry="${3:-1024x768+0+0}" n
    n="$(convert "$a" "$b" -crop "$geometry" +repage -alpha off \
        -compose difference -composite -colorspace gray -threshold 3% \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)"
    echo "${n:-0}"
}

# Polls screenshots (up to `timeout` seconds) until the command "$@" succeeds
# with the newest shot as its last argument; the shot stays in E2E_SHOT.
# Fails with the message when time runs out.
e2e_wait_for() {
    local message="$1" timeout="$2" name="$3"
    shift 3
    local start=$SECONDS
    while :; do
        e2e_shot "$name"
        "$@" "$E2E_SHOT" && return 0
        ((SECONDS - start >= timeout)) && e2e_fail "$message (last screenshot $E2E_SHOT)"
        e2e_running || e2e_fail "$message: the game ended ($(cat "$E2E_WORK/game.err"))"
        sleep 0.3
    done
}

# True when the shot differs from the picture `before` in at least `min`
# pixels of the rectangle.
e2e_differs_from() {
    local before="$1" min="$2" geometry="$3" shot="$4"
    (($(e2e_count_diff "$before" "$shot" "$geometry") >= min))
}

# True when the rectangle of the shot holds at least `min` pixels of the colour.
e2e_has_colour() {
    local geometry="$1" colour="$2" min="$3" shot="$4"
    (($(e2e_count_colour "$shot" "$geometry" "$colour") >= min))
}

# True when the shot is not (almost) all black.
e2e_not_black() { (($(e2e_count_lit "$1") >= 10000)); }

# Presses a key and waits (up to 15 s) until at least `min` pixels of the
# rectangle have changed (default: 2000 pixels anywhere). The new screen is
# left in E2E_SHOT.
e2e_key_expect_change() {
    local k="$1" what="$2" min="${3:-2000}" geometry="${4:-1024x768+0+0}" before
    e2e_shot "before-$what"
    before="$E2E_SHOT"
    e2e_key "$k"
    e2e_wait_for "$what: the screen did not change after $k" 15 "$what" \
        e2e_differs_from "$before" "$min" "$geometry"
    e2e_log "$what: the screen changed after $k"
}

# Waits up to `timeout` seconds for the started process to end; leaves its
# exit status in E2E_STATUS, or "running" if it has not ended.
e2e_wait_exit() {
    local timeout="${1:-15}" t
    E2E_STATUS=running
    for ((t = 0; t < timeout * 10; t++)); do
        if ! e2e_running; then
            E2E_STATUS=0
            wait "$E2E_GAME_PID" 2>/dev/null || E2E_STATUS=$?
            E2E_GAME_PID=""
            return 0
        fi
        sleep 0.1
    done
}

# Waits (up to $1 seconds, default 60) until a replay in the window has
# played to its end, which its last screen and the window title say, then
# presses a key, after which the game ends.
e2e_end_replay() {
    local timeout="${1:-60}" t
    e2e_find_window
    for ((t = 0; t < timeout * 10; t++)); do
        [[ $(xdotool getwindowname "$E2E_WIN" 2>/dev/null) == *"the replay has ended"* ]] && break
        e2e_running || return 0
        sleep 0.1
    done
    e2e_key a
}

# The room grid read off a screenshot (see grid.py): e2e_grid <command> <shot>.
e2e_grid() { "$E2E_PY" "$(dirname "${BASH_SOURCE[0]}")/grid.py" "$1" "$2" "$E2E_RUN"; }

# The X key names of the direction codes: arrows where there is one, and the
# numeric keypad for all.
e2e_arrow_key() {
    case "$1" in 2) echo Down ;; 4) echo Left ;; 6) echo Right ;; 8) echo Up ;; *) return 1 ;; esac
}
e2e_pad_key() { echo "KP_$1"; }

# The areas of the game screen (WxH+X+Y).
E2E_GRID_AREA=896x640+0+0
E2E_PANEL_AREA=256x72+0+696
E2E_HISTORY_AREA=512x96+512+668
E2E_BOX_AREA=304x176+360+296

# From the title to the first game screen: waits for the title, opens the
# name box with a key, types the name, goes through the story screens and
# the control sheet, and starts play with `start_key` (default x, which has no
# meaning in play). Checks that every screen changes on its key.
e2e_play_intro() {
    e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
    e2e_log "title shown"
    e2e_key_expect_change space name-box 100 "$E2E_BOX_AREA"
    e2e_play_from_name_box "$@"
}

# The same from the name box on (shown in E2E_SHOT).
e2e_play_from_name_box() {
    local name="$1" start_key="${2:-x}" before="$E2E_SHOT" screen
    e2e_type "$name"
    e2e_wait_for "the typed name was not echoed in the name box" 10 name \
        e2e_differs_from "$before" 20 200x16+405+380
    e2e_key_expect_change Return story-1
    for screen in story-2 story-3 story-4 controls; do
        e2e_key_expect_change space "$screen"
    done
    e2e_key "$start_key"
    e2e_wait_for "the game screen with its status panel did not appear" 15 game \
        e2e_has_colour "$E2E_PANEL_AREA" "#FFFFFF" 50
    e2e_log "game screen shown"
}

# Red pixels of "You are dead!" (centred at 512, 384) beyond `base`.
E2E_DEAD_AREA=140x20+442+376
e2e_dead_shown() {
    local base="$1" shot="$2"
    (($(e2e_count_colour "$shot" "$E2E_DEAD_AREA" "#FF0000" 2) >= base + 40))
}

# Presses the key that ends the game (Escape or q), answers y to "Do you want
# to end this game?" and waits for "You are dead!".
e2e_key_expect_dead() {
    local k="$1" base
    e2e_shot "before-$k"
    base="$(e2e_count_colour "$E2E_SHOT" "$E2E_DEAD_AREA" "#FF0000" 2)"
    e2e_key_expect_change "$k" end-question 100 "$E2E_BOX_AREA"
    e2e_key y
    e2e_wait_for "\"You are dead!\" did not appear after $k and y" 15 dead e2e_dead_shown "$base"
    e2e_log "\"You are dead!\" shown after $k and y"
}

# From "You are dead!" to the end of the program: a key for the end picture
# and score, "View last history?" answered with `history` (y or n), a key
# after the optional history and after the table, "Play again?" answered no.
# Checks every screen and that the program ends with status 0.
e2e_finish_game() {
    e2e_key_expect_change space end-picture 20 600x80+212+376
    e2e_finish_after_end_picture "${1:-n}"
}

# From the end picture with the score to the end of the program, as above.
e2e_finish_after_end_picture() {
    local history="${1:-n}"
    e2e_key_expect_change space history-question 100 "$E2E_BOX_AREA"
    if [[ $history == y ]]; then
        e2e_key_expect_change y history 2000
        e2e_has_colour 1024x768+0+0 "#0F0000" 500000 "$E2E_SHOT" ||
            e2e_fail "the history screen is not the dark red page"
        e2e_has_colour 600x240+341+94 "#7FFFFF" 100 "$E2E_SHOT" ||
            e2e_fail "the history screen shows no lines"
        e2e_key_expect_change space highscores 2000
    else
        e2e_key_expect_change n highscores 2000
    fi
    e2e_has_colour 300x240+290+250 "#7F7F7F" 100 "$E2E_SHOT" ||
        e2e_fail "the highscore table is not shown"
    e2e_key_expect_change space play-again 100 "$E2E_BOX_AREA"
    e2e_key n
    e2e_wait_exit 15
    [[ $E2E_STATUS == 0 ]] ||
        e2e_fail "the game should end with status 0 after \"Play again?\" no, got $E2E_STATUS"
    e2e_log "the game ended with status 0"
}
