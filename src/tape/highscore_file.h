// highscore_file: the table of the fifteen best, kept in "highscore.zelko"
// in the player's folder (tape/player_folder): its records, reading it and
// saving it.
#pragma once
#include <cstdint>

enum { HIGHSCORE_COUNT = 15, HIGHSCORE_NAME = 150, HIGHSCORE_RECORD = 154 };

struct highscore_ {
    int32_t score;
    char name[HIGHSCORE_NAME]; // zero-terminated, at most 149 characters
};

/// Fills the table from the file. Records the file holds in full are kept;
/// the rest, or all of them when there is no file (or no player's folder),
/// come from the default table.
void highscore_read(highscore_* table, int count);

/// Saves the table: written whole to a temporary file beside the table file,
/// then put in its place. On any failure the old file stays as it was, and
/// the reason is said on stderr; a file-size limit only fails the save (its
/// signal is ignored meanwhile). 1 when the table was saved.
int highscore_save(const highscore_* table, int count);

/// Why the last save did not happen (it was then also said on stderr); ""
/// when it did.
const char* highscore_save_problem();

/// Stores a name into an entry: at most 149 characters, zeros after them.
void highscore_set_name(highscore_* entry, const char* name);

/// Runs `run` in every save just before the new table takes the old one's
/// place (tests: another game's save at that moment); null: nothing.
void highscore_set_before_replace(void (*run)());
