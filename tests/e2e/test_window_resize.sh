#!/usr/bin/env bash
# The window under a real window manager (openbox) on a 1366x768 laptop
# screen: --windowed --scale 1 opens a 1024x768 window in the middle of the
# screen and says on stderr that it is larger than the monitor (its frame
# makes it taller); F11 twice brings back the same window, --scale and all.
# Resized by its frame, the picture follows, scaled and centred between
# black margins as in full screen, and F11 twice brings back that size.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
command -v openbox >/dev/null || e2e_fail "the window manager openbox is not installed"

WM_PID=""
stop_wm() { [[ -z $WM_PID ]] || kill "$WM_PID" 2>/dev/null; }
E2E_AT_EXIT=stop_wm

e2e_start_x 1366x768
# Starts openbox and waits until it has taken the screen (a start that fails
# on a display that has only just come up is tried again).
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

# The place of the window (not of its frame) on the screen, in X and Y.
window_place() {
    local info
    info="$(xwininfo -id "$E2E_WIN")"
    X="$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")"
    Y="$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")"
}

# F11 twice, the window given the keyboard through the window manager.
f11_twice() {
    local size="$1"
    timeout 5 xdotool windowactivate --sync "$E2E_WIN" >/dev/null 2>&1
    e2e_key F11
    expect_state fullscreen 1366x768
    timeout 5 xdotool windowactivate --sync "$E2E_WIN" >/dev/null 2>&1
    e2e_key F11
    expect_state window "$size"
}

# True when the window's picture is the title picture scaled into WxH+X+Y of
# the window, black around it: the shot and the picture, both boiled down
# to 32x24 averages, differ by under 4% on the mean.
# title_in <WxH+X+Y> <window w> <window h> <shot>
title_in() {
    local area="$1" ww="$2" wh="$3" shot="$4" lit error
    window_place
    convert "$shot" -crop "${ww}x${wh}+$X+$Y" +repage "$E2E_WORK/window.png"
    lit="$(e2e_count_lit "$E2E_WORK/window.png" "${ww}x${wh}+0+0")"
    (($(e2e_count_lit "$E2E_WORK/window.png" "$area") == lit)) || return 1
    convert "$E2E_WORK/window.png" -crop "$area" +repage -scale 32x24! "$E2E_WORK/a.png"
    convert "$E2E_DATA/TitelScreen.bmp" -scale 32x24! "$E2E_WORK/b.png"
    error="$(compare -metric MAE "$E2E_WORK/a.png" "$E2E_WORK/b.png" null: 2>&1 |
        sed -E 's/.*\(([0-9.e-]+)\).*/\1/')"
    "$E2E_PY" -c "import sys; sys.exit(0 if $error < 0.04 else 1)"
}

e2e_start_game --silent --windowed --scale 1
e2e_find_window
expect_state window 1024x768
window_place
((X + 512 >= 681 && X + 512 <= 685)) || e2e_fail "the window is not in the middle: x $X"
e2e_wait_for "the title is not the window's picture" 20 title title_in 1024x768+0+0 1024 768
for ((t = 0; t < 50; t++)); do
    grep -q "larger than its monitor" "$E2E_WORK/game.err" && break
    sleep 0.1
done
[[ $(grep -c "larger than its monitor" "$E2E_WORK/game.err") == 1 ]] ||
    e2e_fail "the window taller than the screen was not said in one line: $(cat "$E2E_WORK/game.err")"
e2e_log "a 1024x768 window in the middle, said to be larger than the monitor"

f11_twice 1024x768
e2e_wait_for "after F11 twice the title is not the window's picture" 20 title-again \
    title_in 1024x768+0+0 1024 768

# Resized by its frame: 900x600 holds the picture at 800x600, 50 pixels of
# black each side.
timeout 5 xdotool windowsize "$E2E_WIN" 900 600 || e2e_fail "xdotool could not resize the window"
expect_state window 900x600
e2e_wait_for "the picture did not follow the window's new size" 20 resized \
    title_in 800x600+50+0 900 600
f11_twice 900x600
e2e_wait_for "after F11 twice the resized window lost its picture" 20 resized-again \
    title_in 800x600+50+0 900 600

# The game still answers: a key opens the name box.
timeout 5 xdotool windowactivate --sync "$E2E_WIN" >/dev/null 2>&1
e2e_shot before-name
before="$E2E_SHOT"
e2e_key space
e2e_wait_for "the game does not answer after the resizing" 15 name-box \
    e2e_differs_from "$before" 1000 1366x768+0+0
echo "PASS"
