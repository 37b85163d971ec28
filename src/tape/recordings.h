// recordings: every game kept. The recording of each game played (in the
// format of tape/recording) is written to the folder "recordings" in the
// player's folder, beside the highscore table; the recordings of the games
// in the table, of the last ten games and of the games other running
// processes are playing are kept, the others removed. An index in the folder ties
// the table's entries to their recordings, so `cave --watch N` can play the
// game of entry N again.
#pragma once
#include <cstddef>

#include "tape/highscore_file.h"

/// How many of the last games keep their recordings, besides the table's.
enum { RECORDINGS_LAST = 10 };

/// Keeps the recording of every game from now on (1), or of none (0).
void recordings_enable(int on);

/// A game begins: its recording is started in the folder, so that the
/// seed noted next is its first line. A folder that cannot be used is said
/// once on stderr, and the game goes on unrecorded.
void recordings_game_begins();

/// The table has been saved with the game just played at `place` (0 the
/// best; -1 when it found no place), scoring `score` under `name`: ties the
/// game's recording to its entry and to the last games.
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
