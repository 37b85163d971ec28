#!/usr/bin/env bash
# Full screen under a real window manager (openbox): the game asks for full
# screen and is granted it at the screen's size; F11 gives the window sized
# to the screen and Alt+Enter full screen again, and the game goes on answering
# keys. The window carries the game's icon in every size for task bars. F11
# and Alt+Enter pressed while a name is typed switch the screen and are not
# typed: the recording holds the name's own keys only.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
command -v openbox >/dev/null || e2e_fail "the window manager openbox is not installed"

WM_PID=""
stop_wm() { [[ -z $WM_PID ]] || kill "$WM_PID" 2>/dev/null; }
E2E_AT_EXIT=stop_wm

e2e_start_x 1366x768
# Starts openbox and waits until it has taken the screen; a start that fails
# (now and then it cannot open a display that has only just come up) is
# tried again.
for ((t = 0; ; t++)); do
    if [[ -z $WM_PID ]] || ! kill -0 "$WM_PID" 2>/dev/null; then
        ((t < 300)) || e2e_fail "openbox did not start: $(cat "$E2E_WORK/openbox.log")"
        XDG_CACHE_HOME="$E2E_WORK/cache" openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
        WM_PID=$!
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    ((t < 300)) || e2e_fail "openbox did not take the screen within 30 s"
    sleep 0.1
done
e2e_log "openbox runs"

# Waits (up to 10 s) until the window is, or is not, full screen at its size:
# expect_state <fullscreen|window> <WxH>.
expect_state() {
    local want="$1" size="$2" t state geometry is
    for ((t = 0; t < 50; t++)); do
        state="$(xprop -id "$E2E_WIN" _NET_WM_STATE 2>/dev/null)"
        geometry="$(xwininfo -id "$E2E_WIN" | grep -oE 'geometry [0-9]+x[0-9]+')"
        is=window
        grep -q _NET_WM_STATE_FULLSCREEN <<<"$state" && is=fullscreen
        if [[ $geometry == "geometry $size" && $is == "$want" ]]; then
            e2e_log "$want at $size"
            return 0
        fi
        sleep 0.2
    done
    e2e_fail "the game is not $want at $size: $state, $geometry"
}

# Gives the game's window the keyboard through the window manager.
# True when the shot is the picture `before` (fewer than 100 pixels differ).
e2e_same_as() { (($(e2e_count_diff "$1" "$2" 1366x768+0+0) < 100)); }

focus_game() { timeout 5 xdotool windowactivate --sync "$E2E_WIN" >/dev/null 2>&1 || true; }

e2e_start_game --silent --record "$E2E_WORK/keys.rec"
e2e_find_window
expect_state fullscreen 1366x768
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black

icons="$(xprop -len 1000000 -id "$E2E_WIN" _NET_WM_ICON | grep -oE 'Icon \([0-9]+ x [0-9]+\)' | tr '\n' ' ')"
[[ $icons == "Icon (16 x 16) Icon (32 x 32) Icon (48 x 48) Icon (64 x 64) Icon (128 x 128) Icon (256 x 256) " ]] ||
    e2e_fail "the window's _NET_WM_ICON is not the icon in every size: $icons"

focus_game
e2e_key F11
expect_state window 768x576
focus_game
e2e_key alt+Return
expect_state fullscreen 1366x768

# The game still answers, and Alt+Enter was not also a key for the title:
# only now does a key open the name box.
focus_game
e2e_key_expect_change space name-box 100 "304x176+531+296"

# The switch shows the picture on the screen, not the back buffer, which
# already holds the next story screen while this one waits for its key.
e2e_type Ki
focus_game
e2e_key F11
expect_state window 768x576
focus_game
e2e_key alt+Return
expect_state fullscreen 1366x768
focus_game
e2e_type m
e2e_key_expect_change Return story-1 20000 1366x768+0+0
typed="$(grep -c '^char ' "$E2E_WORK/keys.rec")"
[[ $typed == 4 ]] || e2e_fail "the name box took $typed keys, not K, i, m and Enter: $(cat "$E2E_WORK/keys.rec")"
e2e_log "F11 and Alt+Enter in the name box switched the screen and were not typed"
sleep 0.5
e2e_shot story-1-before
story="$E2E_SHOT"
focus_game
e2e_key F11
expect_state window 768x576
focus_game
e2e_key F11
expect_state fullscreen 1366x768
e2e_wait_for "after F11 twice the first story screen is not shown again" 10 story-1-after \
    e2e_same_as "$story"
echo "PASS"
