#!/usr/bin/env bash
# Full screen under a real window manager (openbox): the game asks for full
# screen and is granted it at the screen's size; F11 gives the window sized
# to the screen and Alt+Enter full screen again, and the game goes on answering
# keys. The window carries the game's icon in every size for task bars. F11
# and Alt+Enter pressed while a name is typed switch the screen and are not
# typed: the recording holds the name's own keys only. --windowed --scale 1
# opens a 1024x768 window in the middle of the screen, said on stderr to be
# larger than the monitor (its frame makes it taller); F11 twice brings it
# back, --scale and all. Resized by its frame, the picture follows, scaled
# and centred between black margins, and F11 twice brings back that size.
# The next run starts as that one ended, in the window of that size and
# with the music off (switched by M); a run with --fullscreen --scale 1
# plays so but leaves the settings as they were.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start_x 1366x768
e2e_start_openbox

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

# F11 to a window of its size on this screen, then Alt+Enter back to full
# screen.
switch_both_ways() {
    focus_game
    e2e_key F11
    expect_state window 768x576
    focus_game
    e2e_key alt+Return
    expect_state fullscreen 1366x768
}
switch_both_ways

# The game still answers, and Alt+Enter was not also a key for the title:
# only now does a key open the name box.
focus_game
e2e_key_expect_change space name-box 100 "304x176+531+296"

# The switch shows the picture on the screen, not the back buffer, which
# already holds the next story screen while this one waits for its key.
e2e_type Ki
switch_both_ways
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
e2e_stop_game

# True when the window's picture is the title scaled into WxH+X+Y of the
# window, black around it: the window's lit pixels all lie there, and boiled
# down to 32x24 averages it and the title differ by under 4% on the mean.
# title_in <WxH+X+Y> <shot>
title_in() {
    local info x y size lit error
    info="$(xwininfo -id "$E2E_WIN")"
    x="$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")"
    y="$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")"
    size="$(grep -oE 'geometry [0-9]+x[0-9]+' <<<"$info" | cut -d' ' -f2)"
    convert "$2" -crop "$size+$x+$y" +repage "$E2E_WORK/window.png"
    lit="$(e2e_count_lit "$E2E_WORK/window.png" "$size+0+0")"
    (($(e2e_count_lit "$E2E_WORK/window.png" "$1") == lit)) || return 1
    convert "$E2E_WORK/window.png" -crop "$1" +repage -scale '32x24!' "$E2E_WORK/a.png"
    convert "$E2E_DATA/TitelScreen.bmp" -scale '32x24!' "$E2E_WORK/b.png"
    error="$(compare -metric MAE "$E2E_WORK/a.png" "$E2E_WORK/b.png" null: 2>&1 |
        sed -E 's/.*\(([0-9.e-]+)\).*/\1/')"
    "$E2E_PY" -c "import sys; sys.exit(0 if $error < 0.04 else 1)"
}

# F11 twice brings back the window at its size, with the title in it.
f11_twice() {
    local size="$1" area="$2" i
    for i in 1 2; do
        focus_game
        e2e_key F11
        [[ $i == 1 ]] && expect_state fullscreen 1366x768
    done
    expect_state window "$size"
    e2e_wait_for "after F11 twice the title is not in the window at $area" 10 back \
        title_in "$area"
}

e2e_start_game --silent --windowed --scale 1
e2e_find_window
expect_state window 1024x768
x="$(xwininfo -id "$E2E_WIN" | awk '/Absolute upper-left X/ { print $4 }')"
((x + 512 >= 681 && x + 512 <= 685)) || e2e_fail "the window is not in the middle: x $x"
e2e_wait_for "the title is not the window's picture" 20 title title_in 1024x768+0+0
grep -q "larger than its monitor" "$E2E_WORK/game.err" ||
    e2e_fail "the window taller than the screen was not said: $(cat "$E2E_WORK/game.err")"
f11_twice 1024x768 1024x768+0+0
# 900x600 holds the picture at 800x600, 50 pixels of black each side.
timeout 5 xdotool windowsize "$E2E_WIN" 900 600 || e2e_fail "xdotool could not resize the window"
expect_state window 900x600
e2e_wait_for "the picture did not follow the window's new size" 20 resized title_in 800x600+50+0
f11_twice 900x600 800x600+50+0

# Waits (up to 10 s) until the settings file holds the line given.
expect_setting() {
    local t
    for ((t = 0; t < 100; t++)); do
        grep -qx "$1" "$E2E_RUN/settings" 2>/dev/null && return 0
        sleep 0.1
    done
    e2e_fail "the settings do not say \"$1\": $(cat "$E2E_RUN/settings" 2>&1)"
}
focus_game
e2e_key m # the music switch, in a silent run too
expect_setting "music off"
e2e_stop_game
e2e_start_game --silent
e2e_find_window
expect_state window 900x600
e2e_wait_for "the next run's title is not in its window at 800x600" 20 next title_in 800x600+50+0
focus_game
e2e_key m # switched back on: it had started off
expect_setting "music on"
cp "$E2E_RUN/settings" "$E2E_WORK/settings.before"
e2e_stop_game
e2e_start_game --silent --fullscreen --scale 1
e2e_find_window
expect_state fullscreen 1366x768
e2e_wait_for "the title is not shown full screen" 20 full e2e_not_black
e2e_stop_game
cmp -s "$E2E_RUN/settings" "$E2E_WORK/settings.before" ||
    e2e_fail "a run's command line changed the settings: $(cat "$E2E_RUN/settings")"
grep -qx "screen window" "$E2E_RUN/settings" && grep -qx "window-size 900x600" "$E2E_RUN/settings" ||
    e2e_fail "the settings do not keep the window and its size: $(cat "$E2E_RUN/settings")"
echo "PASS"
