#!/usr/bin/env bash
# Started from a folder without its data files the game says which files are
# missing and where it looked, and ends with status 1 before opening a window.
# With its data but without an X server it says that DISPLAY is the problem,
# and ends with status 1 too, as --watch does for a game that was not kept,
# leaving a recording named with --record whole.
# A --data folder that does not exist is one line and status 1.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# No X server at all: the game must stop before it needs one.
unset DISPLAY
empty="$E2E_WORK/empty"
mkdir -p "$empty"
e2e_start_in "$empty" "$E2E_CAVE"
e2e_wait_exit 20
[[ $E2E_STATUS == running ]] && e2e_fail "the game did not stop within 20 s without its data"
[[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 without data, got $E2E_STATUS"
err="$(cat "$E2E_WORK/game.err")"
echo "$err"

# Every file the game cannot do without is named, and so is the folder.
for f in user.bmp user_dead.bmp TitelScreen.bmp StoryScreen1.bmp StoryScreen2.bmp \
    StoryScreen3.bmp StoryScreen4.bmp ControlInfo.bmp ControlHelp.bmp ByeBye.bmp GameOver.bmp \
    lugn.wav quiet.wav end.wav; do
    grep -qF "$f" <<<"$err" || e2e_fail "the message does not name $f"
done
grep -qF "$empty" <<<"$err" || e2e_fail "the message does not name the folder $empty"
grep -qF "./play" <<<"$err" || e2e_fail "the message started in a folder does not suggest ./play"

# Pointed at the empty folder with --data, the hint names that folder, not ./play.
e2e_start_in "$E2E_WORK" "$E2E_CAVE" --data "$empty"
e2e_wait_exit 20
[[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 with an empty --data folder, got $E2E_STATUS"
err="$(cat "$E2E_WORK/game.err")"
grep -qF "looked in $empty, the folder given with --data" <<<"$err" ||
    e2e_fail "the message does not name the --data folder: $err"
grep -qF "./play" <<<"$err" && e2e_fail "the message suggests ./play although --data was given: $err"

# A data folder that does not exist: one line, not the list of every file.
e2e_start_in "$empty" "$E2E_CAVE" --data "$empty/nowhere"
e2e_wait_exit 20
[[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 for a missing --data folder, got $E2E_STATUS"
err="$(cat "$E2E_WORK/game.err")"
[[ $err == "cave: $empty/nowhere: no such folder" ]] || e2e_fail "unexpected message: $err"

# With all but one file present only that one is named.
e2e_copy_data "$E2E_WORK/partial"
rm "$E2E_RUN/GameOver.bmp"
e2e_start_in "$E2E_RUN" "$E2E_CAVE"
e2e_wait_exit 20
[[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 with GameOver.bmp missing, got $E2E_STATUS"
err="$(cat "$E2E_WORK/game.err")"
grep -qF GameOver.bmp <<<"$err" || e2e_fail "the message does not name GameOver.bmp"
grep -qF TitelScreen.bmp <<<"$err" && e2e_fail "the message names TitelScreen.bmp, which is there"
grep -qF "$E2E_RUN" <<<"$err" || e2e_fail "the message does not name the folder $E2E_RUN"

# All the data, but DISPLAY unset, then naming a display no server answers.
e2e_copy_data "$E2E_WORK/full"
no_server=":$((170 + RANDOM % 80))"
printf 'cave recording 1\ngame 7\npress\n' >"$E2E_WORK/old.rec"
cp "$E2E_WORK/old.rec" "$E2E_WORK/kept.rec"
for display in "" "$no_server"; do
    e2e_start_in "$E2E_RUN" env ${display:+DISPLAY=$display} "$E2E_CAVE" --silent \
        --record "$E2E_WORK/old.rec"
    e2e_wait_exit 20
    [[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 with DISPLAY='$display', got $E2E_STATUS"
    err="$(cat "$E2E_WORK/game.err")"
    grep -q "^cave: .*DISPLAY" <<<"$err" || e2e_fail "the message does not name DISPLAY: $err"
    [[ -z $display ]] || grep -qF "$display" <<<"$err" || e2e_fail "the message does not name $display"
    cmp -s "$E2E_WORK/old.rec" "$E2E_WORK/kept.rec" || e2e_fail "the earlier recording was touched"
done

# A game to watch that was never kept is refused in one line, with status 1,
# before any window is needed.
e2e_start_in "$E2E_RUN" env -u DISPLAY "$E2E_CAVE" --folder "$E2E_RUN" --silent --watch 1
e2e_wait_exit 20
[[ $E2E_STATUS == 1 ]] || e2e_fail "expected status 1 from --watch 1 with no game kept, got $E2E_STATUS"
err="$(cat "$E2E_WORK/game.err")"
[[ $(wc -l <<<"$err") == 1 && $err == "cave: no game has been kept"* ]] ||
    e2e_fail "--watch 1 with no game kept should say so in one line: $err"
echo "PASS"
