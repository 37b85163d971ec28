// recordings: every game kept. The game in progress is kept in the player's
// folder as it goes (game-in-progress.rec, locked while a run plays it), so
// that a run ended from outside, or killed, leaves it to be taken up by the
// next start; once its score is saved it moves, as every finished game's
// recording (in the format of tape/recording), to the folder "recordings"
// beside the highscore table. The recordings of the games in the table, of
// the last ten games and of the games other running processes are playing
// are kept, the others removed. An index in the folder ties the table's
// entries to their recordings, so `cave --watch N` can play the game of
// entry N again.
#pragma once
#include <cstddef>

#include "tape/highscore_file.h"

/// How many of the last games keep their recordings, besides the table's.
enum { RECORDINGS_LAST = 10 };

/// Keeps the recording of every game from now on (1), or of none (0).
void recordings_enable(int on);

/// The name of the game in progress in the player's folder.
extern const char* const RECORDINGS_IN_PROGRESS;

/// A game begins: its recording is started, held in memory until play
/// begins (nothing is made in the folder before), so that the seed noted
/// next is its first line; the health reference it begins with is noted in
/// it, for the game to be played again as it was.
void recordings_game_begins(float health_reference);

/// Play begins (the first turn): the game is in progress from now on. Its
/// recording, the lines held so far first, goes to the game in progress in
/// the player's folder, locked while this run plays it, and each line
/// reaches the file as it is written; when another running copy of the game
/// holds the game in progress, to a new file in recordings/ instead. A
/// folder that cannot be used is said once on stderr, and the game goes on
/// unrecorded.
void recordings_play_begins();

/// Looks, once the run has begun, for a game in progress that an earlier
/// run left (ended from outside, or killed) and no running process plays,
/// and locks it for this run. 1 when there is one.
int recordings_find_left_game();

/// Takes up the game found: loaded to be played back (see
/// recording_take_up: `at_end` is called where its tape ends), it becomes
/// the recording of the game about to begin, whose next lines follow its
/// last whole line. *reference gets the health reference it began with
/// (left as it is when the file does not say). 0, after a message on
/// stderr, when it cannot be played back: then set it aside.
int recordings_take_up(void (*at_end)(), float* reference);

/// Sets the game taken up aside, as one that cannot be played back: renamed
/// in the player's folder (the new name into `aside`, "" when it could not
/// be renamed and stays where it was), never removed; said on stderr. The
/// game being played is no longer recorded.
void recordings_set_aside(char* aside, size_t size);

/// Flushes the game in progress to the disk, for a program about to end.
void recordings_sync();

/// Why this run's games cannot be kept in recordings/ (the short reason, as
/// the table screen says it); "" when they can.
const char* recordings_problem();

/// The health reference the recording open as `fd` says its game began
/// with; false when it does not say (or says something out of range).
bool recordings_reference(int fd, float* value);

/// The table has been saved with the game just played at `place` (0 the
/// best; -1 when it found no place), scoring `score` under `name`: the game
/// in progress moves to recordings/ (it is no longer one to go on with), and
/// the game's recording is tied to its entry and to the last games.
void recordings_note_table(int place, int score, const char* name);

/// The game's recording ends (after its table screen): the file is closed
/// (which lets its lock go) and the recordings no longer kept are removed.
void recordings_game_ends(int score);

/// 1 if at least one entry of the saved table has a recording.
int recordings_any();

/// A kept game that can be watched.
struct recordings_game_ {
    int place;                 // its entry of the table (1 the best), or 0: the last game
    int score;                 // its score
    char name[HIGHSCORE_NAME]; // the entry's name; "" for the last game
};

/// Lists the kept games that can be watched into `games` (room for
/// HIGHSCORE_COUNT + 1): the table's entries whose recordings are there,
/// whole and of their game (or of the game whose table is shown now), best
/// first, then the last game. How many there are.
int recordings_list(recordings_game_* games);

/// Finds the recording of table entry `entry` (1 the best) or, for -1, of
/// the last game, and opens it (through the player's folder); where it is,
/// for messages, into `name`. A descriptor to read it from, or -1, after
/// one line on stderr, when there is none, or it is gone or damaged.
int recordings_open_kept(int entry, char* name, size_t size);
