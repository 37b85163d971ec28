#!/usr/bin/env bash
# Builds the Debian source and binary packages with dpkg-buildpackage in a
# scratch copy of the source tree, checks their fields, their file lists and
# lintian's verdict, then unpacks them with dpkg -x into a scratch folder and
# runs the game from there: --help, --version, the tests Debian's CI runs
# (debian/tests) and the title screen under Xvfb. Installs nothing: the build
# packages come from scripts/setup.sh.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

for tool in dpkg-buildpackage dpkg-checkbuilddeps dpkg-deb lintian flock tar; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not available"
done
# One package test at a time on this machine, whoever runs it; the build
# folder's name is then the same on every run, so a compiler cache hits.
exec 9>"${TMPDIR:-/tmp}/cave-e2e-package.lock"
flock -w 600 9 || e2e_fail "another package test has held the lock for 10 minutes"
top="${TMPDIR:-/tmp}/cave-e2e-package"
tree="$top/cave"
remove_build() { rm -rf "$top"; }
E2E_AT_EXIT=remove_build
remove_build
mkdir -p "$tree"

# --- Building ----------------------------------------------------------------
# The sources as they stand in the work tree (tracked files and new ones not
# ignored), without any build folders.
if git -C "$E2E_SRC" rev-parse --show-toplevel >/dev/null 2>&1; then
    git -C "$E2E_SRC" ls-files -z --cached --others --exclude-standard |
        tar -C "$E2E_SRC" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$tree" -xf -
else
    tar -C "$E2E_SRC" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -C "$tree" -xf -
fi
[[ -f $tree/debian/control ]] || e2e_fail "no debian/control in the copied sources"
(cd "$tree" && dpkg-checkbuilddeps) 2>"$E2E_WORK/builddeps.err" ||
    e2e_fail "build packages are missing (scripts/setup.sh installs them): $(cat "$E2E_WORK/builddeps.err")"
# Quick to make: no tests (the unit tests run in ./check), the compiler
# cache where there is one (named here, as the build gets a HOME of its own),
# and the fastest compression.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR="$(ccache -k cache_dir)")
fi
e2e_log "building the packages in $tree"
(cd "$tree" && env "${launcher[@]}" DEB_BUILD_OPTIONS="nocheck parallel=2" DPKG_DEB_COMPRESSOR_LEVEL=1 \
    dpkg-buildpackage -us -uc) >"$E2E_WORK/build.log" 2>&1 ||
    e2e_fail "dpkg-buildpackage failed: $(tail -20 "$E2E_WORK/build.log")"
version="$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)"
arch="$(dpkg --print-architecture)"
deb="$top/cave_${version}_$arch.deb"
data_deb="$top/cave-data_${version}_all.deb"
for f in "$deb" "$data_deb" "$top/cave_$version.dsc" "$top/cave_${version}_$arch.changes"; do
    [[ -f $f ]] || e2e_fail "$(basename "$f") was not built: $(ls "$top")"
done
e2e_log "built $(cd "$top" && echo *.deb *.dsc)"

# --- Fields and file lists ---------------------------------------------------
field() { dpkg-deb -f "$1" "$2"; }
[[ $(field "$deb" Section) == games && $(field "$deb" Architecture) == "$arch" ]] ||
    e2e_fail "cave is in section $(field "$deb" Section) for $(field "$deb" Architecture)"
[[ $(field "$data_deb" Architecture) == all ]] || e2e_fail "cave-data is not for every architecture"
depends="$(field "$deb" Depends)"
grep -qE '(^|, )liballegro4\.4( |,|$)' <<<"$depends" || e2e_fail "cave does not depend on Allegro 4: $depends"
grep -qF "cave-data (= $version)" <<<"$depends" || e2e_fail "cave does not depend on its own data: $depends"

# Each package holds exactly its files: the program in the games layout, its
# menu entry, icons, metainfo and manual page; the pictures and sounds.
listing() { dpkg-deb -c "$1" | awk '{ print $6 }' | sed 's|^\./|/|' | grep -v '/$' | sort; }
expected=(/usr/games/cave /usr/lib/games/cave/cave /usr/share/applications/cave.desktop
    /usr/share/man/man6/cave.6.gz /usr/share/metainfo/org.example.wizardscave.metainfo.xml
    /usr/share/doc/cave/README.md.gz /usr/share/doc/cave/changelog.gz /usr/share/doc/cave/copyright)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/cave.png")
done
printf '%s\n' "${expected[@]}" | sort >"$E2E_WORK/cave.expected"
listing "$deb" >"$E2E_WORK/cave.list"
diff "$E2E_WORK/cave.expected" "$E2E_WORK/cave.list" >"$E2E_WORK/cave.diff" ||
    e2e_fail "cave's files are not as expected (< missing, > stray): $(cat "$E2E_WORK/cave.diff")"
{
    printf '%s\n' /usr/share/doc/cave-data/changelog.gz /usr/share/doc/cave-data/copyright
    (cd "$E2E_DATA" && ls -- *.bmp *.wav) | sed 's|^|/usr/share/games/cave/|'
} | sort >"$E2E_WORK/data.expected"
listing "$data_deb" >"$E2E_WORK/data.list"
diff "$E2E_WORK/data.expected" "$E2E_WORK/data.list" >"$E2E_WORK/data.diff" ||
    e2e_fail "cave-data's files are not as expected: $(head -5 "$E2E_WORK/data.diff")"
e2e_log "file lists as expected"

# --- lintian -----------------------------------------------------------------
# No error and no warning on the source and binary packages; every other
# tag left is explained in the README.
lintian -I --pedantic --tag-display-limit 0 "$top/cave_${version}_$arch.changes" \
    >"$E2E_WORK/lintian.out" 2>"$E2E_WORK/lintian.err"
rc=$?
e2e_log "lintian says:"
cat "$E2E_WORK/lintian.out"
grep -qE '^[EW]: ' "$E2E_WORK/lintian.out" && e2e_fail "lintian reports errors or warnings"
[[ $rc == 0 ]] || e2e_fail "lintian ended with status $rc: $(cat "$E2E_WORK/lintian.err")"
while read -r _ _ tag _; do
    grep -qF -- "$tag" "$E2E_SRC/README.md" || e2e_fail "the README does not explain lintian's tag $tag"
done < <(grep -E '^[A-Z]: ' "$E2E_WORK/lintian.out")

# --- Running the unpacked packages -------------------------------------------
root="$E2E_WORK/root"
for f in "$deb" "$data_deb"; do
    dpkg -x "$f" "$root" || e2e_fail "dpkg -x $(basename "$f") failed"
done
home="$E2E_WORK/home"
mkdir -p "$home" "$E2E_WORK/elsewhere"
cave=(env -u XDG_DATA_HOME HOME="$home" "$root/usr/games/cave")
out="$("${cave[@]}" --help)" || e2e_fail "usr/games/cave --help failed"
grep -q "^Usage: cave" <<<"$out" || e2e_fail "usr/games/cave --help prints no usage: $out"
[[ $("${cave[@]}" --version) == *" $version" ]] ||
    e2e_fail "the game's version $("${cave[@]}" --version) is not the package's $version"

# Debian's CI tests (debian/tests), run here on the unpacked packages: every
# test that debian/tests/control names must pass.
tests="$(sed -n 's/^Tests: *//p' "$tree/debian/tests/control")"
[[ -n $tests ]] || e2e_fail "debian/tests/control names no tests"
for t in $tests; do
    CAVE_ROOT="$root" AUTOPKGTEST_TMP="$(mktemp -d "$E2E_WORK/$t.XXXX")" "$tree/debian/tests/$t" \
        >"$E2E_WORK/$t.log" 2>&1 || e2e_fail "debian/tests/$t failed: $(tail -20 "$E2E_WORK/$t.log")"
    e2e_log "debian/tests/$t: $(tail -1 "$E2E_WORK/$t.log")"
done

e2e_start_x
E2E_RUN="$root/usr/share/games/cave"
e2e_start_in "$E2E_WORK/elsewhere" "${cave[@]}"
e2e_find_window
e2e_wait_for "the title screen did not appear" 20 title e2e_not_black
e2e_log "title shown from the unpacked launcher"
e2e_stop_game
[[ -d $home/.local/share/cave ]] || e2e_fail "the launcher made no folder for the player"
echo "PASS"
