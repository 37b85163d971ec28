// highscore: the score of a finished game and the table of the fifteen best,
// kept in "highscore.zelko".
#pragma once
#include <cstdint>

struct BITMAP;
struct character_;

enum { HIGHSCORE_COUNT = 15, HIGHSCORE_NAME = 150, HIGHSCORE_RECORD = 154 };

struct highscore_ {
    int32_t score;
    char name[HIGHSCORE_NAME]; // zero-terminated, at most 149 characters
};

int highscore_calculate_int(character_ player, int rooms, int end);
void highscore_read(highscore_* table, int count);
void highscore_write(highscore_* table, int count);
int highscore_check_if_high(int score, highscore_* table, int count);
int highscore_push(int score, const char* name, highscore_* table, int count);
void highscore_draw(BITMAP* bitmap, highscore_* table, int count, int lit);
int highscore_new_score(int score, highscore_* table, int count);

/// Why the last highscore_write did not save the table (it then also said so
/// on stderr and under the table on the back buffer); "" when it did.
const char* highscore_save_problem();

/// The file name the table is kept in (tests may point it elsewhere).
extern const char* highscore_file;
