#!/usr/bin/env bash
# The picture fits the screen: on a 1366x768 laptop screen and a 3840x2160
# one, full screen (the default) is a window of the whole screen with the
# title picture scaled to the largest 4:3 size and centred, and --windowed a
# window of the largest offered size within 90% of the screen, in its middle.
# A coloured patch of the title picture must land where the scale puts it.
# With two monitors side by side, both follow the primary monitor, not their
# span.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# A patch of the title picture of one colour, 7x7 pixels: "x y #RRGGBB" of
# its centre (the first, left to right and top down, of a clear colour).
read -r PATCH_X PATCH_Y PATCH_RGB < <("$E2E_PY" - "$E2E_DATA/TitelScreen.bmp" <<'PY'
import struct, sys
f = open(sys.argv[1], "rb").read()
off, = struct.unpack_from("<I", f, 10)
w, h = struct.unpack_from("<ii", f, 18)
bpp, = struct.unpack_from("<H", f, 28)
stride = (w * bpp // 8 + 3) // 4 * 4
def px(x, y):
    o = off + (h - 1 - y if h > 0 else y) * stride + x * bpp // 8
    return f[o + 2], f[o + 1], f[o]
for y in range(40, abs(h) - 40, 3):
    for x in range(40, w - 40, 3):
        c = px(x, y)
        if max(c) - min(c) > 30 and all(px(x + i, y + j) == c for i in range(-3, 4) for j in range(-3, 4)):
            print(x, y, "#%02X%02X%02X" % c)
            sys.exit(0)
PY
)
[[ -n ${PATCH_RGB:-} ]] || e2e_fail "no patch of one colour found in the title picture"
e2e_log "title patch at $PATCH_X,$PATCH_Y is $PATCH_RGB"

# Starts the game with the options given, waits for the title and checks the
# window's size and place, and where the patch and the black border are:
# expect_screen <window WxH+X+Y> <picture x> <picture y> <factor> [options...]
# (the picture's place on the screen).
expect_screen() {
    local size="$1" px="$2" py="$3" factor="$4" x y
    shift 4
    e2e_start_game --silent "$@"
    e2e_find_window
    local got
    got="$(xwininfo -id "$E2E_WIN" | awk '/-geometry/ { print $2 }')"
    [[ $got == "$size" ]] || e2e_fail "with $*: the window is not $size but $got"
    x="$("$E2E_PY" -c "print($px + int(($PATCH_X + 0.5) * $factor))")"
    y="$("$E2E_PY" -c "print($py + int(($PATCH_Y + 0.5) * $factor))")"
    e2e_wait_for "with $*: the title's patch is not at $x,$y" 20 title \
        e2e_has_colour "1x1+$x+$y" "$PATCH_RGB" 1
    if [[ $size == *+0+0 ]] && ((px > 0)); then
        e2e_has_colour "${px}x1+0+$y" "#000000" "$px" "$E2E_SHOT" ||
            e2e_fail "with $*: the border left of the picture is not black"
    fi
    e2e_log "with $*: a $size window, the patch at $x,$y"
    e2e_stop_game
}

e2e_start_x 1366x768
expect_screen 1366x768+0+0 171 0 1
expect_screen 768x576+299+96 299 96 0.75 --windowed

kill "$E2E_XVFB_PID" && wait "$E2E_XVFB_PID" 2>/dev/null
e2e_start_x 3840x2160
expect_screen 3840x2160+0+0 480 0 2.8125 --fullscreen
expect_screen 2560x1920+640+120 640 120 2.5 --windowed

# Two 1920x1080 monitors on one 3840x1080 screen, the left one primary (the
# server keeps them because it does not reset between clients).
kill "$E2E_XVFB_PID" && wait "$E2E_XVFB_PID" 2>/dev/null
e2e_start_x 3840x1080
xrandr --setmonitor '*LEFT' 1920/508x1080/286+0+0 none &&
    xrandr --setmonitor RIGHT 1920/508x1080/286+1920+0 none ||
    e2e_fail "the X server took no monitors"
expect_screen 1920x1080+0+0 240 0 1.40625
expect_screen 1280x960+320+60 320 60 1.25 --windowed
echo "PASS"
