// recording: the tape of a run. While recording, the seed of every game and
// every answer the keyboard routines give are written to a text file, a line
// at a time, as the games go. While replaying, a loaded file answers the
// keyboard routines instead of the keyboard, so the same games are played
// again; a tape that runs out or stops fitting the game ends the program.
//
// The file: a first line "cave recording 2" (the format's version), then one
// event a line; blank lines and lines starting with # are skipped:
//
//   game SEED        a game begins; its cave is drawn from srand(SEED)
//   key CODE         zelkokey_get_a_key answered CODE (-1 Escape, 0..17)
//   number N         zelkokey_get_a_number answered N
//   char C           zelkokey_read_key answered C (readkey's value)
//   press            zelkokey_wait_press saw a key go down
//   release          zelkokey_wait_release saw every key up
//   held SCANCODE V  the game looked at one key itself: V 1 down, 0 up
//   left             the program was ended from outside on the game's end
//                    screens; the last event line, where a replay stops
//
// Files of version 1 are read too, and their games are played as they were
// then: Escape and Q end a game at once, and the game looks at Escape
// between turns. From version 2 on, Escape and Q in play ask first (the
// answers are key lines like any other) and no look at Escape ends a game.
#pragma once
#include <cstdio>

/// The kinds of line, in the order of the list above.
enum recording_kind {
    REC_GAME,
    REC_KEY,
    REC_NUMBER,
    REC_CHAR,
    REC_PRESS,
    REC_RELEASE,
    REC_HELD,
    REC_LEFT
};

/// The format version this game writes, and the oldest one it reads.
enum { RECORDING_VERSION = 2, RECORDING_OLDEST_VERSION = 1 };

/// The largest recording the game reads, in bytes (16 MiB): a game is about
/// 10 KB, the longest ever seen about 1 MB. A larger file is refused unread.
enum { RECORDING_MOST_BYTES = 16 << 20 };

/// The answers a "key" line may hold: the keyboard's action codes, from
/// Escape (-1) to the last command key (17).
enum { RECORDING_KEY_LOWEST = -1, RECORDING_KEY_HIGHEST = 17 };

/// Starts recording to `path`: checks that it is a plain file the player may
/// write (or none yet), reached as the player's folder is (no link made by
/// another user anywhere on the way); 0, after a message on stderr, when
/// not. The lines are held back until the first game's name has been typed
/// (recording_name_given): only then is the file made or emptied, so a run
/// that ends before loses no earlier file. A recording that cannot be written
/// then, or later, stops after its message and the games go on.
int recording_start(const char* path);

/// The first game's name has been typed: a recording started is made (or
/// emptied) now, with the lines held back so far.
void recording_name_given();

/// Loads the recording at `path` to replay it, pausing `pause_ms` before each
/// answer; with `watch`, Escape on the real keyboard stops the replay. 0,
/// after a message on stderr, when it cannot be read, is no plain file, is
/// over RECORDING_MOST_BYTES (refused before it is read), is damaged or is
/// of another version. The tape takes at most about the file's size.
int recording_load(const char* path, int pause_ms, int watch);

/// The same for the recording open as `fd` (read from its start; it stays
/// open), named `name` in the messages.
int recording_load_open(int fd, const char* name, int pause_ms, int watch);

/// Loads the kept game open as `fd` (read and written; named `name` in the
/// messages) to take it up: it is played back without pauses, and where its
/// tape ends `at_end` is called once, and from then on the keyboard (or the
/// answerer, see recording_set_answerer) answers, every answer written to
/// the copy (recording_copy_to) as in a game played. A last line cut off in
/// the middle and a last "left" line are not played: *whole gets the length
/// of the file before them, where the game's next lines go. 0 after a
/// message on stderr, as recording_load_open, when it cannot be played.
int recording_take_up(int fd, const char* name, void (*at_end)(), long long* whole);

/// 1 while a kept game is played back to be taken up, until its tape ends.
int recording_taking_up();

/// Sets what answers the keyboard routines in place of the keyboard once a
/// kept game's tape has ended: `answer` gets the kind of line asked for
/// (with the scancode of a look at a key) and returns the answer, which is
/// recorded as a key's would be. Null: the keyboard answers.
void recording_set_answerer(int (*answer)(int kind, int scancode));

/// Thrown, after the message on stderr, when a kept game taken up does not
/// fit the game (it was played by another version of the game, or the file
/// was changed): the game cannot go on, and the run unwinds to where the
/// kept game was taken up, to set it aside and begin a new one.
struct recording_misfit {};

/// Ends recording or replaying, taking the replay's state off the window
/// title and the screen. 1 unless a replay left lines unplayed (then 0,
/// after a message on stderr; a kept game taken up says nothing).
int recording_finish();

/// 1 while a recording is replayed.
int recording_replaying();

/// 1 when the games played now ask before Escape or Q ends them: games
/// played at the keyboard, and replays of version 2 and on; 0 in a replay
/// of version 1, whose games must go as they were recorded.
int recording_asks_to_end();

/// While replaying, the kind of the line the next answer comes from, with
/// its number (and a held line's state) in *value and *held; -1 when the
/// tape is used up or nothing is replayed.
int recording_upcoming(long long* value, int* held);

/// The seed of the game about to begin: `planned`, noted in the recording
/// when recording; the recorded one when replaying.
unsigned recording_game_seed(unsigned planned);

/// At the start of a keyboard routine: when replaying, puts the recorded
/// answer in *answer and returns 1; otherwise returns 0 and the routine
/// reads the keyboard. Every 0 must be matched by a recording_kept.
int recording_replayed(recording_kind kind, int* answer);

/// At the end of a keyboard routine: notes its answer when recording (not
/// for routines called by another routine) and returns it.
int recording_kept(recording_kind kind, int answer);

/// A look of the game at one key: notes `held` when recording and returns
/// it; returns the recorded state when replaying.
int recording_look(int scancode, int held);

/// Notes that the program is ended from outside on a game's end screens
/// (its score saved): a replay that gets there stops, status 0.
void recording_note_left();

/// From now on every event line written also goes to `to` (null: no
/// longer), outside a replay; the answers of command keys and numbers are
/// flushed to the disk (fdatasync) when `to` is a file, so that a power cut
/// loses at most the key being pressed. 1 if every line reached the file
/// set before.
int recording_copy_to(FILE* to);

/// Sets what the replay runs at every look at the viewer's keys while it
/// pauses in the window (the keyboard's switch keys); null: nothing.
void recording_set_idle(void (*run)());

/// Replaces the clock that times the pauses of a replay in the window:
/// `sleep` is called for each slice of a pause (tests); null: the real one.
void recording_set_clock(void (*sleep)(int ms));

/// What the window title and the screen say of the replay ("replay -
/// paused", ...).
const char* recording_title();

/// 1 while a recording is replayed in the window, for the viewer.
int recording_watched();

/// Says in the window title and on the screen that the replay has ended
/// (`on`), or nothing of a replay any more.
void recording_show_end(int on);

/// Sets what ends a replay that stops before its end (Escape, a recording
/// that ends early, a line that does not fit, a game left): `stop`, with the
/// exit status the program would end with; it must not return (a kept game
/// watched from inside a run). Null: the program ends.
void recording_set_stop(void (*stop)(int status));

/// Puts the tape aside as it stands outside a replay (a recording being
/// written, the lines held back, the copy to a kept game, the keyboard
/// routine running), so that a kept game can be replayed meanwhile: nothing
/// is written until it is taken back. 0 while replaying (nothing is set aside).
int recording_set_aside();

/// Lets go of what was loaded meanwhile, and puts the tape back as it was
/// set aside.
void recording_take_back();
