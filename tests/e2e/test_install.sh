#!/usr/bin/env bash
# Installs the game into a scratch prefix and plays it from the installed
# launcher the way a player would: the game makes the player's own folder and
# keeps the player's highscores there across runs, while the launcher runs it
# on the installed data in the player's working folder, so that file names on
# its command line (--record, --replay) are the player's; links left by
# earlier versions are removed without touching the table. Also checks the
# installed file list, the icons, the manual page, the metainfo and the
# desktop entry.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

build="$(dirname "$E2E_CAVE")"
[[ -f $build/cmake_install.cmake ]] || e2e_fail "no install rules in $build"
prefix="$E2E_WORK/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 ||
    e2e_fail "cmake --install failed: $(tail -5 "$E2E_WORK/install.log")"
e2e_log "installed into $prefix"

# --- The installed files -----------------------------------------------------
sizes="16 32 48 64 128 256"
[[ -x $prefix/bin/cave ]] || e2e_fail "no launcher bin/cave"
[[ -x $prefix/libexec/cave/cave ]] || e2e_fail "no game program libexec/cave/cave"
metainfo=share/metainfo/org.example.wizardscave.metainfo.xml
for f in share/applications/cave.desktop share/man/man6/cave.6.gz $metainfo share/doc/cave/README.md \
    share/doc/cave/LICENSE; do
    [[ -f $prefix/$f ]] || e2e_fail "$f is not installed"
done
# Every picture and sound of the data folder, and nothing else, is in share/cave.
(cd "$E2E_DATA" && ls -- *.bmp *.wav) | sort >"$E2E_WORK/data.list"
(cd "$prefix/share/cave" && ls -A) | sort >"$E2E_WORK/installed.list"
diff "$E2E_WORK/data.list" "$E2E_WORK/installed.list" >/dev/null ||
    e2e_fail "share/cave differs from the data folder: $(diff "$E2E_WORK/data.list" "$E2E_WORK/installed.list" | head -5)"
# Nothing else anywhere in the prefix.
(cd "$prefix" && find . -type f -o -type l) | grep -vE "^\./(bin/cave|libexec/cave/cave|share/cave/[^/]+\.(bmp|wav)|share/applications/cave\.desktop|share/icons/hicolor/[0-9]+x[0-9]+/apps/cave\.png|share/man/man6/cave\.6\.gz|share/doc/cave/(README\.md|LICENSE)|${metainfo//./\\.})$" \
    >"$E2E_WORK/stray.list"
[[ -s $E2E_WORK/stray.list ]] && e2e_fail "unexpected installed files: $(head -5 "$E2E_WORK/stray.list")"

# The icons: square PNGs of every size whose corners are see-through and
# whose middle is not; scaled without smoothing, so the large ones are made of
# whole blocks of the 32-pixel sprite's pixels.
for size in $sizes; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/cave.png"
    [[ -f $icon ]] || e2e_fail "no ${size}x$size icon"
    [[ $(identify -format '%m %w %h' "$icon") == "PNG $size $size" ]] || e2e_fail "$icon is not a ${size}x$size PNG"
    last=$((size - 1))
    [[ $(convert "$icon" -format "%[fx:p{0,0}.a] %[fx:p{$last,$last}.a]" info:) == "0 0" ]] ||
        e2e_fail "the ${size}x$size icon's corners are not transparent"
    (($(convert "$icon" -alpha extract -threshold 50% -format '%[fx:mean]' info: | cut -c1-4 | tr -d .) > 10)) ||
        e2e_fail "the ${size}x$size icon shows almost nothing"
    if ((size > 32 && size % 32 == 0)); then
        convert "$icon" -sample 32x32 -sample "${size}x$size" "$E2E_WORK/blocks.png"
        blocky="$(compare -metric AE "$icon" "$E2E_WORK/blocks.png" null: 2>&1)"
        [[ $blocky == 0 ]] || e2e_fail "the ${size}x$size icon is smoothed ($blocky pixels off the sprite's blocks)"
    fi
done

# The manual page: section 6, every usual section, without warnings.
man_text="$(zcat "$prefix/share/man/man6/cave.6.gz" | groff -man -Tutf8 -ww 2>"$E2E_WORK/groff.err" | col -b)"
[[ -s $E2E_WORK/groff.err ]] && e2e_fail "the manual page has warnings: $(cat "$E2E_WORK/groff.err")"
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS ENVIRONMENT FILES "EXIT STATUS" "SEE ALSO"; do
    grep -q "^$heading" <<<"$man_text" || e2e_fail "the manual page has no $heading section"
done
grep -q "CAVE(6)" <<<"$man_text" || e2e_fail "the manual page is not in section 6"
for word in highscore.zelko --windowed --data --silent HOME XDG_DATA_HOME DISPLAY; do
    grep -q -- "$word" <<<"$man_text" || e2e_fail "the manual page does not name $word"
done

# The desktop entry starts the launcher, names the icon and the window's class.
desktop="$prefix/share/applications/cave.desktop"
for line in Exec=cave Icon=cave Type=Application StartupWMClass=cave; do
    grep -qx "$line" "$desktop" || e2e_fail "the desktop entry lacks $line"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || e2e_fail "desktop-file-validate rejects the entry"
fi
# The metainfo passes the strictest check, with nothing at all to remark.
if command -v appstreamcli >/dev/null; then
    said="$(appstreamcli validate --no-net --pedantic "$prefix/$metainfo" 2>&1)" ||
        e2e_fail "appstreamcli rejects the metainfo: $said"
    grep -qE '^[EWIP]: ' <<<"$said" && e2e_fail "appstreamcli remarks on the metainfo: $said"
fi

# The bare game program, started outside its data, says what is missing.
mkdir -p "$E2E_WORK/empty"
(cd "$E2E_WORK/empty" && env -u DISPLAY "$prefix/libexec/cave/cave") >/dev/null 2>"$E2E_WORK/bare.err"
rc=$?
[[ $rc == 1 ]] || e2e_fail "the bare game program without data should end with 1, got $rc"
grep -q "TitelScreen.bmp" "$E2E_WORK/bare.err" || e2e_fail "the bare program does not name the missing files"

# --- The launcher's command line and its folder --------------------------------
home="$E2E_WORK/home"
player_dir="$home/.local/share/cave"
mkdir -p "$home" "$E2E_WORK/elsewhere"
E2E_LAUNCH=(env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/cave")
out="$("${E2E_LAUNCH[@]}" --help)" || e2e_fail "cave --help through the launcher failed"
grep -q -- "--windowed" <<<"$out" || e2e_fail "cave --help does not list --windowed: $out"
"${E2E_LAUNCH[@]}" --bogus >/dev/null 2>&1
rc=$?
[[ $rc == 2 ]] || e2e_fail "cave --bogus through the launcher should end with 2, got $rc"
[[ -e $player_dir ]] && e2e_fail "the launcher made the player's folder for a bad command line"

# --- Playing from the launcher -----------------------------------------------
e2e_start_x
E2E_RUN="$prefix/share/cave" # where the game's pictures are, for the screen reader

# A folder that cannot be made (its parent is a file): one line at the start,
# and the game goes on (without keeping scores, which the table screen says).
touch "$E2E_WORK/a-file"
e2e_start_in "$E2E_WORK/elsewhere" env HOME="$home" XDG_DATA_HOME="$E2E_WORK/a-file" "$prefix/bin/cave"
e2e_find_window
e2e_wait_for "the title screen did not appear without a folder" 20 title0 e2e_not_black
e2e_stop_game
[[ $(grep -c "^cave:" "$E2E_WORK/game.err") == 1 ]] && grep -q "a-file/cave/highscore.zelko: " "$E2E_WORK/game.err" ||
    e2e_fail "a folder that cannot be made should be said in one 'cave:' line: $(cat "$E2E_WORK/game.err")"

# A whole game, started from another folder with only HOME to go by and
# recorded to a file named there; the score is kept in the player's folder,
# which holds nothing else.
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}" --record mine.rec
e2e_find_window
e2e_play_intro Installed
e2e_key_expect_dead Escape
e2e_finish_game n
[[ -f $player_dir/highscore.zelko && ! -L $player_dir/highscore.zelko ]] ||
    e2e_fail "no highscore table of the player's own in $player_dir"
grep -q "^game " "$E2E_WORK/elsewhere/mine.rec" ||
    e2e_fail "--record mine.rec did not write mine.rec in the folder the player started from"
grep -aq Installed "$player_dir/highscore.zelko" || e2e_fail "the player's name is not in the table"
[[ $(ls -A "$player_dir" | tr '\n' ' ') == "highscore.zelko recordings " ]] ||
    e2e_fail "the player's folder holds more than the table and the games: $(ls -A "$player_dir")"
ls "$player_dir/recordings"/*.rec >/dev/null 2>&1 || e2e_fail "the game was not kept in recordings/"
[[ -e $prefix/share/cave/highscore.zelko ]] && e2e_fail "the game wrote into the installed data"
cp "$player_dir/highscore.zelko" "$E2E_WORK/highscore.kept"

# A start writes nothing into a folder that holds only the table (so a
# read-only one does), and passes its arguments on (--windowed here).
before="$(stat -c %.9Y "$player_dir")"
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}" --windowed
e2e_find_window
e2e_wait_for "the title screen did not appear on the second start" 20 title2 e2e_not_black
[[ $(stat -c %.9Y "$player_dir") == "$before" ]] || e2e_fail "the launcher wrote into the player's folder"
[[ $(xwininfo -id "$E2E_WIN") == *"Map State: IsViewable"* ]] ||
    e2e_fail "the launcher did not pass --windowed on: the game's window is not shown"
e2e_stop_game

# An upgrade from a version that linked the data in: the links go, the
# table stays.
ln -sfn "$prefix/share/cave/no_longer_made.bmp" "$player_dir/no_longer_made.bmp"
ln -sfn "$prefix/share/cave/floor.bmp" "$player_dir/floor.bmp"
ln -sfn "$prefix/share/cave/lugn.wav" "$player_dir/lugn.wav"
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}"
e2e_find_window
e2e_wait_for "the title screen did not appear after the upgrade" 20 title3 e2e_not_black
e2e_stop_game
[[ $(ls -A "$player_dir" | tr '\n' ' ') == "highscore.zelko recordings " ]] ||
    e2e_fail "the old links were not all removed: $(ls -A "$player_dir")"
cmp -s "$player_dir/highscore.zelko" "$E2E_WORK/highscore.kept" ||
    e2e_fail "the upgrade changed the highscore table"
e2e_log "old links removed, the table kept"

# Another player, with XDG_DATA_HOME set, gets a folder of their own there.
xdg="$E2E_WORK/xdg-data"
e2e_start_in "$E2E_WORK/elsewhere" env HOME="$E2E_WORK/nohome" XDG_DATA_HOME="$xdg" "$prefix/bin/cave"
e2e_find_window
e2e_wait_for "the title screen did not appear for the second player" 20 title4 e2e_not_black
e2e_stop_game
[[ -d $xdg/cave ]] || e2e_fail "the second player's folder $xdg/cave was not made"
[[ -e $xdg/cave/highscore.zelko ]] && e2e_fail "the second player got someone's highscore table"
[[ -e $E2E_WORK/nohome ]] && e2e_fail "the launcher made a folder under HOME although XDG_DATA_HOME is set"

# A recording named relative to the player's working folder is replayed from
# there, to the end it was recorded with.
cp "$E2E_SRC/debian/tests/short-game.rec" "$E2E_WORK/elsewhere/short.rec"
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}" --replay short.rec --replay-delay 0 --silent
e2e_end_replay 120
e2e_wait_exit 15
[[ $E2E_STATUS == 0 ]] || e2e_fail "cave --replay short.rec ended with $E2E_STATUS: $(cat "$E2E_WORK/game.err")"
grep -qx "cave: end cause 2, score 95, 39 turns, deepest room 2" "$E2E_WORK/game.out" ||
    e2e_fail "cave --replay short.rec did not replay the recording: $(cat "$E2E_WORK/game.out" "$E2E_WORK/game.err")"
e2e_log "relative file names on the command line are the player's own"
echo "PASS"
