#!/usr/bin/env bash
# Builds the Debian package with CPack, looks inside it with dpkg-deb,
# installs it with apt-get, starts the game from the installed launcher under
# a scratch HOME, and removes the package again. Needs root (as in CI);
# skipped otherwise.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

[[ $(id -u) == 0 ]] || e2e_skip "installing a package needs root"
for tool in cpack dpkg-deb dpkg apt-get flock; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not available"
done
# One package test at a time on this machine, whoever runs it.
exec 9>"${TMPDIR:-/tmp}/cave-e2e-package.lock"
flock -w 240 9 || e2e_fail "another package test has held the lock for 4 minutes"
if dpkg-query -W -f='${Status}' cave 2>/dev/null | grep -q "install ok installed"; then
    e2e_skip "a package named cave is already installed here; leaving it alone"
fi
build="$(dirname "$E2E_CAVE")"
[[ -f $build/CPackConfig.cmake ]] || e2e_fail "no CPack configuration in $build"

# --- Building and inspecting the package -------------------------------------
out="$E2E_WORK/package"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$E2E_WORK/cpack.log" 2>&1 ||
    e2e_fail "cpack failed: $(tail -20 "$E2E_WORK/cpack.log")"
debs=("$out"/cave_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || e2e_fail "expected one cave_*.deb, found: ${debs[*]}"
deb="${debs[0]}"
e2e_log "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == cave ]] || e2e_fail "the package is called $(field Package)"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] ||
    e2e_fail "the package is for $(field Architecture)"
[[ $(field Section) == games ]] || e2e_fail "the package's section is $(field Section), not games"
[[ -n $(field Version) && -n $(field Maintainer) && -n $(field Description) ]] ||
    e2e_fail "the package lacks its version, maintainer or description"
grep -qE '(^|, )liballegro4\.4( |,|$)' <<<"$(field Depends)" ||
    e2e_fail "the package does not depend on Allegro 4's runtime: Depends: $(field Depends)"
e2e_log "Depends: $(field Depends)"

# Files only in the game's own folders and the usual places of the launcher,
# desktop entry, icon and manual page.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' | grep -v '/$' >"$E2E_WORK/files.list"
grep -vE '^/usr/(bin/cave|libexec/cave/cave|share/cave/[^/]+\.(bmp|wav)|share/applications/cave\.desktop|share/icons/hicolor/64x64/apps/cave\.png|share/man/man6/cave\.6\.gz)$' \
    "$E2E_WORK/files.list" >"$E2E_WORK/stray.list"
[[ -s $E2E_WORK/stray.list ]] && e2e_fail "unexpected files in the package: $(head -5 "$E2E_WORK/stray.list")"
for f in /usr/bin/cave /usr/libexec/cave/cave /usr/share/cave/TitelScreen.bmp /usr/share/cave/lugn.wav \
    /usr/share/applications/cave.desktop /usr/share/icons/hicolor/64x64/apps/cave.png \
    /usr/share/man/man6/cave.6.gz; do
    grep -qx "$f" "$E2E_WORK/files.list" || e2e_fail "$f is not in the package"
done
data_files="$(find "$E2E_DATA" -maxdepth 1 -type f \( -name '*.bmp' -o -name '*.wav' \) | wc -l)"
[[ $(grep -c '^/usr/share/cave/' "$E2E_WORK/files.list") == "$data_files" ]] ||
    e2e_fail "the package does not hold the $data_files data files"
if command -v lintian >/dev/null; then
    e2e_log "lintian says:"
    lintian --tag-display-limit 0 "$deb" || true
fi

# --- Installing, playing, removing -------------------------------------------
# Removes the package however the test ends.
remove_package() {
    if dpkg-query -W -f='${Status}' cave 2>/dev/null | grep -q "install ok installed"; then
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 remove -y -q cave >>"$E2E_WORK/apt.log" 2>&1
    fi
}
E2E_AT_EXIT=remove_package
(cd "$out" && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 install -y -q "./$(basename "$deb")") \
    >"$E2E_WORK/apt.log" 2>&1 || e2e_fail "apt-get install failed: $(tail -10 "$E2E_WORK/apt.log")"
dpkg-query -W -f='${Status}' cave | grep -q "install ok installed" || e2e_fail "the package is not installed"
[[ $(command -v cave) == /usr/bin/cave ]] || e2e_fail "cave is not the installed launcher on the PATH"
e2e_log "installed"

e2e_start_x
home="$E2E_WORK/home"
mkdir -p "$home" "$E2E_WORK/elsewhere"
e2e_start_in "$E2E_WORK/elsewhere" env -u XDG_DATA_HOME HOME="$home" cave
e2e_find_window
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
e2e_log "title shown from the installed launcher"
e2e_stop_game
for f in TitelScreen.bmp user.bmp lugn.wav; do
    [[ $(readlink -f "$home/.local/share/cave/$f") == "/usr/share/cave/$f" ]] ||
        e2e_fail "$f in the player's folder does not lead to /usr/share/cave/$f"
done

DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 remove -y -q cave >>"$E2E_WORK/apt.log" 2>&1 ||
    e2e_fail "apt-get remove failed: $(tail -10 "$E2E_WORK/apt.log")"
dpkg-query -W -f='${Status}' cave 2>/dev/null | grep -q "install ok installed" &&
    e2e_fail "the package is still installed after removal"
while read -r f; do
    [[ -e $f ]] && e2e_fail "$f is left behind after removal"
done <"$E2E_WORK/files.list"
[[ -d /usr/share/cave || -d /usr/libexec/cave ]] && e2e_fail "the game's folders are left behind"
e2e_log "removed cleanly"
echo "PASS"
