#!/usr/bin/env bash
# bench.sh: the benchmark in one command. Builds what is missing, runs the
# headless figures of cave_bench (frame, world turn, room generation,
# start-up, memory, the game in progress kept on the disk), then starts the
# real game under Xvfb and measures its time to the title screen and its idle
# CPU on the title screen and while waiting for a key in play. Its first line says when and on what commit it
# measured, so that its whole output can stand in the README as it is.
#
# Usage: scripts/bench.sh [build-dir]        (default: build)
# Environment: BENCH_REPS (cave_bench repetitions, default 30),
#              BENCH_LAUNCHES (game starts timed to the title, default 5),
#              BENCH_IDLE_S (seconds of each idle measurement, default 10).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/measured.sh"
build="$(realpath -m "${1:-$root/build}")"
reps="${BENCH_REPS:-30}"
launches="${BENCH_LAUNCHES:-5}"
idle_s="${BENCH_IDLE_S:-10}"

xvfb_pid=""
game_pid=""
work=""

# Stops what this script started, by process id.
bench_cleanup() {
    bench_stop_game
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    [[ -n $work ]] && rm -rf "$work"
}
trap bench_cleanup EXIT
trap 'exit 130' INT TERM

# Ends the game started last (it is not our child: poll until it is gone),
# then gives the server a moment to paint its window away.
bench_stop_game() {
    [[ -n $game_pid ]] || return 0
    kill "$game_pid" 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$game_pid" 2>/dev/null
    game_pid=""
    sleep 0.3
}

# Configures (first time only) and builds the game, the data and the tools.
bench_build() {
    if [[ ! -f $build/CMakeCache.txt ]]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
    fi
    cmake --build "$build" -j"$(nproc)" --target cave cave_bench gamedata >/dev/null || return 1
    cmake --build "$build" -j"$(nproc)" --target cave_title_watch >/dev/null 2>&1 || true
}

# utime + stime of a process or thread (its /proc stat file), in clock ticks.
bench_cpu_ticks() {
    local stat
    stat="$(cat "$1" 2>/dev/null)" || return 1
    # Fields after the ")" that closes the name: state is the 1st, utime the 12th.
    awk '{ print $12 + $13 }' <<<"${stat##*) }"
}

# Share of one core, in percent, that the game used over the idle period:
# prints "all main" (all threads, and the game's own main thread alone; the
# others belong to the graphics library).
bench_idle_cpu() {
    local before after main_before main_after ticks_per_s
    ticks_per_s="$(getconf CLK_TCK)"
    before="$(bench_cpu_ticks "/proc/$game_pid/stat")" || return 1
    main_before="$(bench_cpu_ticks "/proc/$game_pid/task/$game_pid/stat")" || return 1
    sleep "$idle_s"
    after="$(bench_cpu_ticks "/proc/$game_pid/stat")" || return 1
    main_after="$(bench_cpu_ticks "/proc/$game_pid/task/$game_pid/stat")" || return 1
    awk -v d=$((after - before)) -v m=$((main_after - main_before)) -v t="$ticks_per_s" \
        -v s="$idle_s" 'BEGIN { printf "%.2f %.2f", 100 * d / t / s, 100 * m / t / s }'
}

# Starts Xvfb on the first free display from 140 on.
bench_start_x() {
    local n t
    for ((n = 140; n < 200; n++)); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # -br: a closed game leaves a black screen, not its last picture.
        Xvfb ":$n" -screen 0 1024x768x24 -br -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for ((t = 0; t < 100; t++)); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    return 1
}

# Holds one key down for a moment (the game polls the key state).
bench_key() {
    xdotool keydown "$1" && sleep 0.1 && xdotool keyup "$1" && sleep 0.25
}

# Gives the keyboard to the game's window where there is one to focus (with
# no window manager; a full-screen game grabs the keyboard itself).
bench_focus() {
    local win
    for win in $(xdotool search --name "Wizard's Cave" 2>/dev/null); do
        xdotool windowfocus "$win" >/dev/null 2>&1 && return 0
    done
    return 0
}

# Number of white pixels in the status panel of a fresh screenshot.
bench_panel_white() {
    import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null || return 1
    convert "$work/shot.png" -crop 256x72+0+696 +repage -alpha off -fuzz 6% \
        -fill white -opaque '#FFFFFF' -fill black +opaque white \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# From the title into play: name box, a typed name, the story pages and the
# control sheet, then a key without meaning in play.
bench_enter_play() {
    local k t
    bench_focus
    bench_key space
    for k in b e n c h; do bench_key "$k"; done
    bench_key Return
    for k in space space space space x; do bench_key "$k"; done
    for ((t = 0; t < 20; t++)); do
        (($(bench_panel_white || echo 0) >= 50)) && return 0
        sleep 0.5
    done
    return 1
}

# Prints the idle figures of one screen: all threads, the game's own thread.
bench_print_idle() {
    printf '  %-44s %12s %12s %12s  %-6s\n' "idle CPU $1 (${idle_s} s)" "$2" "" "" "% core"
    printf '  %-44s %12s %12s %12s  %-6s\n' "  of which the game's own thread" "$3" "" "" "% core"
}

# Prints median, min and max of the numbers given.
bench_summary() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.0f %.0f %.0f", m, v[1], v[NR] }'
}

# Prints a goal line: value, limit, met or missed.
bench_goal() {
    local what="$1" value="$2" limit="$3" unit="$4"
    if awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v >= 0 && v < l) }'; then
        printf '  goal: %-36s %8s %s (limit %s %s): met\n' "$what" "$value" "$unit" "$limit" "$unit"
    else
        printf '  goal: %-36s %8s %s (limit %s %s): MISSED\n' "$what" "$value" "$unit" "$limit" "$unit"
    fi
}

# The real game under Xvfb: time to the title, idle CPU on the title and in play.
bench_real_game() {
    local watch="$build/tools/bench/cave_title_watch" times=() cpus=() out ms i
    local idle_title idle_title_main idle_play idle_play_main med lo hi cmed clo chi
    echo
    echo "== The real game under Xvfb"
    for tool in Xvfb xdpyinfo xdotool import convert; do
        command -v "$tool" >/dev/null || { echo "  skipped: $tool is not installed"; return 0; }
    done
    [[ -x $watch ]] || { echo "  skipped: cave_title_watch was not built (no X11)"; return 0; }
    bench_start_x || { echo "  skipped: Xvfb did not start"; return 0; }
    for ((i = 0; i < launches; i++)); do
        bench_stop_game
        out="$(cd "$build/data" && "$watch" TitelScreen.bmp 20000 "$build/cave" --folder "$work" 2>>"$work/game.err")"
        game_pid="$(awk '$1 == "pid" { print $2 }' <<<"$out")"
        ms="$(awk '$1 == "title_ms" { print $2 }' <<<"$out")"
        [[ -n $ms && $ms != -1 ]] || { echo "  the title did not show: $(cat "$work/game.err")"; return 1; }
        times+=("$ms")
        cpus+=("$(awk '$1 == "cpu_ms" { print $2 }' <<<"$out")")
    done
    read -r med lo hi <<<"$(bench_summary "${times[@]}")"
    printf '  %-44s %12s %12s %12s  %-6s\n' "figure" median min max unit
    printf '  %-44s %12s %12s %12s  %-6s\n' "start to title screen ($launches starts)" "$med" "$lo" "$hi" ms
    read -r cmed clo chi <<<"$(bench_summary "${cpus[@]}")"
    printf '  %-44s %12s %12s %12s  %-6s\n' "  processor time used by then" "$cmed" "$clo" "$chi" ms
    printf '  %-44s %12s\n' "  load average of the machine" "$(cut -d' ' -f1 /proc/loadavg)"
    sleep 1
    read -r idle_title idle_title_main <<<"$(bench_idle_cpu)"
    [[ -n $idle_title ]] || { echo "  the game ended on the title screen"; return 1; }
    bench_print_idle "on the title screen" "$idle_title" "$idle_title_main"
    if ! bench_enter_play; then
        echo "  could not reach play with xdotool"
        return 1
    fi
    sleep 1
    read -r idle_play idle_play_main <<<"$(bench_idle_cpu)"
    [[ -n $idle_play ]] || { echo "  the game ended in play"; return 1; }
    bench_print_idle "waiting for a key in play" "$idle_play" "$idle_play_main"
    bench_goal "start to title < 200 ms" "$med" 200 ms
    bench_goal "idle on the title < 2 %" "$idle_title" 2 "%"
    bench_goal "idle in play < 2 %" "$idle_play" 2 "%"
}

work="$(mktemp -d "${TMPDIR:-/tmp}/cave-bench.XXXXXX")"
bench_build >&2 || { echo "bench.sh: the build failed" >&2; exit 1; }
echo "scripts/bench.sh: $(measured_on "$root"), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/tools/bench/cave_bench" "$build/data" --reps "$reps" || exit 1
bench_real_game
