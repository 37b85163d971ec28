#!/usr/bin/env bash
# Installs the game into a scratch prefix and plays it from the installed
# launcher the way a player would: the launcher makes the player's own folder
# of links to the installed data, the game runs there and keeps the player's
# highscores in it across runs, and links are refreshed without touching the
# table. Also checks the installed file list, the icon, the manual page and
# the desktop entry.
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
[[ -x $prefix/bin/cave ]] || e2e_fail "no launcher bin/cave"
[[ -x $prefix/libexec/cave/cave ]] || e2e_fail "no game program libexec/cave/cave"
for f in share/applications/cave.desktop share/icons/hicolor/64x64/apps/cave.png \
    share/man/man6/cave.6.gz; do
    [[ -f $prefix/$f ]] || e2e_fail "$f is not installed"
done
# Every picture and sound of the data folder, and nothing else, is in share/cave.
(cd "$E2E_DATA" && ls -- *.bmp *.wav) | sort >"$E2E_WORK/data.list"
(cd "$prefix/share/cave" && ls -A) | sort >"$E2E_WORK/installed.list"
diff "$E2E_WORK/data.list" "$E2E_WORK/installed.list" >/dev/null ||
    e2e_fail "share/cave differs from the data folder: $(diff "$E2E_WORK/data.list" "$E2E_WORK/installed.list" | head -5)"
# Nothing else anywhere in the prefix.
(cd "$prefix" && find . -type f -o -type l) | grep -vE '^\./(bin/cave|libexec/cave/cave|share/cave/[^/]+\.(bmp|wav)|share/applications/cave\.desktop|share/icons/hicolor/64x64/apps/cave\.png|share/man/man6/cave\.6\.gz)$' \
    >"$E2E_WORK/stray.list"
[[ -s $E2E_WORK/stray.list ]] && e2e_fail "unexpected installed files: $(head -5 "$E2E_WORK/stray.list")"

# The icon: a 64x64 PNG whose corners are see-through and whose middle is not.
icon="$prefix/share/icons/hicolor/64x64/apps/cave.png"
[[ $(identify -format '%m %w %h' "$icon") == "PNG 64 64" ]] || e2e_fail "the icon is not a 64x64 PNG"
[[ $(convert "$icon" -format '%[fx:p{0,0}.a] %[fx:p{63,63}.a]' info:) == "0 0" ]] ||
    e2e_fail "the icon's corners are not transparent"
(($(convert "$icon" -alpha extract -threshold 50% -format '%[fx:round(mean*w*h)]' info:) > 300)) ||
    e2e_fail "the icon shows almost nothing"

# The manual page: section 6, with the keys and the files, without warnings.
man_text="$(zcat "$prefix/share/man/man6/cave.6.gz" | groff -man -Tutf8 -ww 2>"$E2E_WORK/groff.err" | col -b)"
[[ -s $E2E_WORK/groff.err ]] && e2e_fail "the manual page has warnings: $(cat "$E2E_WORK/groff.err")"
for heading in NAME SYNOPSIS DESCRIPTION KEYS FILES; do
    grep -q "^$heading" <<<"$man_text" || e2e_fail "the manual page has no $heading section"
done
grep -q "CAVE(6)" <<<"$man_text" || e2e_fail "the manual page is not in section 6"
grep -q "highscore.zelko" <<<"$man_text" || e2e_fail "the manual page does not name the highscore file"

# The desktop entry starts the launcher and names the icon.
desktop="$prefix/share/applications/cave.desktop"
grep -qx 'Exec=cave' "$desktop" || e2e_fail "the desktop entry does not run cave"
grep -qx 'Icon=cave' "$desktop" || e2e_fail "the desktop entry does not name the icon"
grep -qx 'Type=Application' "$desktop" || e2e_fail "the desktop entry is no application"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || e2e_fail "desktop-file-validate rejects the entry"
fi

# The bare game program, started outside its data, says what is missing.
mkdir -p "$E2E_WORK/empty"
(cd "$E2E_WORK/empty" && env -u DISPLAY "$prefix/libexec/cave/cave") >/dev/null 2>"$E2E_WORK/bare.err"
rc=$?
[[ $rc == 1 ]] || e2e_fail "the bare game program without data should end with 1, got $rc"
grep -q "TitelScreen.bmp" "$E2E_WORK/bare.err" || e2e_fail "the bare program does not name the missing files"

# --- Playing from the launcher -----------------------------------------------
e2e_start_x
home="$E2E_WORK/home"
player_dir="$home/.local/share/cave"
mkdir -p "$home" "$E2E_WORK/elsewhere"
E2E_RUN="$player_dir" # where the game's pictures are, for the screen reader

# Checks that every installed data file has a link in the folder, leading to it.
check_links() {
    local dir="$1" name
    [[ -d $dir ]] || e2e_fail "the player's folder $dir was not made"
    while read -r name; do
        [[ -L $dir/$name ]] || e2e_fail "$dir/$name is not a link"
        [[ $(readlink -f "$dir/$name") == "$(readlink -f "$prefix/share/cave/$name")" ]] ||
            e2e_fail "$dir/$name leads to $(readlink "$dir/$name"), not to the installed file"
    done <"$E2E_WORK/data.list"
}

# A whole game, started from another folder with only HOME to go by; the
# score is kept in the player's folder.
E2E_LAUNCH=(env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/cave")
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}"
e2e_find_window
e2e_play_intro Installed
check_links "$player_dir"
e2e_log "the player's folder holds a link to every data file"
e2e_key_expect_dead Escape
e2e_finish_game n
[[ -f $player_dir/highscore.zelko && ! -L $player_dir/highscore.zelko ]] ||
    e2e_fail "no highscore table of the player's own in $player_dir"
grep -aq Installed "$player_dir/highscore.zelko" || e2e_fail "the player's name is not in the table"
[[ -e $prefix/share/cave/highscore.zelko ]] && e2e_fail "the game wrote into the installed data"
cp "$player_dir/highscore.zelko" "$E2E_WORK/highscore.kept"

# An upgrade: a link that leads nowhere goes, a link into an old place is
# renewed, and the highscore table is left as it is.
ln -sfn "$prefix/share/cave/no_longer_made.bmp" "$player_dir/no_longer_made.bmp"
mkdir -p "$E2E_WORK/old"
cp "$prefix/share/cave/floor.bmp" "$E2E_WORK/old/floor.bmp"
ln -sfn "$E2E_WORK/old/floor.bmp" "$player_dir/floor.bmp"
e2e_start_in "$E2E_WORK/elsewhere" "${E2E_LAUNCH[@]}"
e2e_find_window
e2e_wait_for "the title screen did not appear on the second start" 20 title2 e2e_not_black
e2e_stop_game
check_links "$player_dir"
[[ -e $player_dir/no_longer_made.bmp || -L $player_dir/no_longer_made.bmp ]] &&
    e2e_fail "a link that leads nowhere was kept"
cmp -s "$player_dir/highscore.zelko" "$E2E_WORK/highscore.kept" ||
    e2e_fail "the second start changed the highscore table"
e2e_log "links refreshed, the table kept"

# Another player, with XDG_DATA_HOME set, gets a folder of their own there.
xdg="$E2E_WORK/xdg-data"
e2e_start_in "$E2E_WORK/elsewhere" env HOME="$E2E_WORK/nohome" XDG_DATA_HOME="$xdg" "$prefix/bin/cave"
e2e_find_window
e2e_wait_for "the title screen did not appear for the second player" 20 title3 e2e_not_black
e2e_stop_game
check_links "$xdg/cave"
[[ -e $xdg/cave/highscore.zelko ]] && e2e_fail "the second player got someone's highscore table"
[[ -e $E2E_WORK/nohome ]] && e2e_fail "the launcher made a folder under HOME although XDG_DATA_HOME is set"
echo "PASS"
